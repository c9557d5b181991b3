// The worker pool and the download tasks against loopback origins. The test's own thread is
// the GUI thread: it pumps the synchronised calls while it waits.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "NetTestEnvironment.h"
#include "platform/testing/Watchdog.h"
#include "program/net/HttpGet.h"
#include "program/net/HttpThreadPool.h"
#include "vcl/Thread.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testnet::Connection;
using testnet::Request;
using testnet::Server;

std::string KeepAliveResponse(const std::string& body, int keepAliveSeconds = 5) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: keep-alive\r\nKeep-Alive: timeout=" + std::to_string(keepAliveSeconds) + "\r\n\r\n" + body;
}

// Answers every request of a connection with the body, keeping the connection open.
Server::Handler Answer(const std::string& body, int keepAliveSeconds = 5) {
  return [=](Connection& c, int) {
    Request request;
    while (c.ReadRequest(request, 20000)) {
      if (!c.Send(KeepAliveResponse(body, keepAliveSeconds))) return;
    }
  };
}

// Pumps the GUI thread's synchronised calls until done() holds.
template <class F> bool PumpUntil(F done, std::chrono::milliseconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    CheckSynchronize(5);
  }
  return true;
}

// A latch the server handlers wait on.
class Gate {
 public:
  void Open() {
    {
      std::lock_guard guard(m_lock);
      m_open = true;
    }
    m_changed.notify_all();
  }
  void Wait() {
    std::unique_lock guard(m_lock);
    m_changed.wait_for(guard, 20s, [&] { return m_open; });
  }

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_open = false;
};

// Collects the finish calls of tasks by tag.
struct Finishes {
  std::map<int, int> calls;
  std::map<int, uint8_t> results;
  int total = 0;
  THttpFinishEvent Event() {
    return [this](TObject* sender, uint8_t& result) {
      const int tag = static_cast<THttpTask*>(sender)->Tag;
      ++calls[tag];
      results[tag] = result;
      ++total;
    };
  }
};

THttpTask* StreamTask(const std::string& url, THttpFinishEvent onFinish, int tag = 0,
                      THttpProgressEvent onProgress = nullptr) {
  auto* task = new THttpTask(url, "", new TStringStream(), std::move(onProgress), std::move(onFinish), tag);
  task->OwnsStream = true;
  return task;
}

// Each test makes its pool after its servers, so the pool (and its kept-alive connections)
// goes first.
class HttpThreadPoolTest : public ::testing::Test {
 protected:
  platform::testing::Watchdog watchdog{120s};
};

#define MAKE_POOL()          \
  THttpThreadPool pool;      \
  pool.ClientTimeoutMs = 5000

TEST_F(HttpThreadPoolTest, TasksForOneHostShareAWorkerAndItsConnection) {
  Server origin(Answer("hello"));
  Server other(Answer("other"));
  Finishes finishes;
  MAKE_POOL();
  for (int i = 0; i < 3; ++i) pool.AddTask(StreamTask(origin.Url("/t" + std::to_string(i)), finishes.Event(), i));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 3; }));
  EXPECT_EQ(pool.WorkerCount(), 1);
  EXPECT_EQ(origin.Connections(), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(finishes.results[i], 0) << i;

  // An idle worker holding a connection elsewhere is not taken for another host: a second
  // worker comes.
  pool.AddTask(StreamTask(other.Url(), finishes.Event(), 9));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 4; }));
  EXPECT_EQ(finishes.results[9], 0);
  EXPECT_EQ(pool.WorkerCount(), 2);
}

TEST_F(HttpThreadPoolTest, AnEleventhHostIsParkedUntilAWorkerIsFree) {
  Gate release;
  std::vector<std::unique_ptr<Server>> servers;
  for (int i = 0; i < 11; ++i) {
    servers.push_back(std::make_unique<Server>([&release](Connection& c, int) {
      Request request;
      if (!c.ReadRequest(request, 20000)) return;
      release.Wait();
      c.Send(KeepAliveResponse("x"));
      c.WaitForClose(20000);
    }));
  }
  MAKE_POOL();
  pool.ClientTimeoutMs = 30000;
  Finishes finishes;
  for (int i = 0; i < 11; ++i) pool.AddTask(StreamTask(servers[i]->Url(), finishes.Event(), i));
  EXPECT_EQ(pool.WorkerCount(), 10);
  EXPECT_EQ(pool.ParkedCount(), 1);
  // The ten are really busy: nothing reaches the eleventh host.
  ASSERT_TRUE(PumpUntil([&] {
    int connected = 0;
    for (int i = 0; i < 10; ++i) connected += servers[i]->Connections();
    return connected == 10;
  }));
  EXPECT_EQ(servers[10]->Connections(), 0);
  release.Open();
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 11; }));
  for (int i = 0; i < 11; ++i) EXPECT_EQ(finishes.results[i], 0) << i;
  EXPECT_EQ(pool.ParkedCount(), 0);
  EXPECT_LE(pool.WorkerCount(), 10);
}

TEST_F(HttpThreadPoolTest, WorkersCloseAtTheServersKeepAliveAndEndWhenIdle) {
  std::atomic<bool> clientClosed{false};
  Server origin([&](Connection& c, int) {
    Request request;
    if (!c.ReadRequest(request)) return;
    c.Send(KeepAliveResponse("k", 1));
    c.WaitForClose(20000);
    clientClosed = true;
  });
  Server plain([](Connection& c, int) {
    Request request;
    if (c.ReadRequest(request)) c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nConnection: close\r\n\r\np");
  });
  MAKE_POOL();
  pool.IdleLimitMs = 3000;
  Finishes finishes;
  pool.AddTask(StreamTask(origin.Url(), finishes.Event(), 1));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 1; }));
  // The server's keep-alive (1 s) ends first; the worker lives on until its idle limit.
  ASSERT_TRUE(PumpUntil([&] { return clientClosed.load(); }));
  EXPECT_EQ(pool.WorkerCount(), 1);
  ASSERT_TRUE(PumpUntil([&] { return pool.WorkerCount() == 0; }));

  // Without keep-alive the worker simply ends after its idle limit.
  pool.IdleLimitMs = 300;
  pool.AddTask(StreamTask(plain.Url(), finishes.Event(), 2));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return pool.WorkerCount() == 0; }));
  // A pool whose workers ended takes new work.
  pool.AddTask(StreamTask(plain.Url(), finishes.Event(), 3));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 3; }));
  EXPECT_EQ(finishes.results[3], 0);
}

TEST_F(HttpThreadPoolTest, AFinishAnsweringTwoRunsTheTransferAgainUntilCancelled) {
  std::atomic<int> requests{0};
  Server origin([&](Connection& c, int) {
    Request request;
    while (c.ReadRequest(request)) {
      ++requests;
      c.Send(KeepAliveResponse("r" + std::to_string(requests.load())));
    }
  });
  int calls = 0;
  std::string lastBody;
  auto* task = new THttpTask(origin.Url(), "", new TStringStream(), nullptr, nullptr, 0);
  task->OwnsStream = true;
  task->OnFinish = [&](TObject* sender, uint8_t& result) {
    ++calls;
    lastBody = static_cast<TStringStream*>(static_cast<THttpTask*>(sender)->Stream)->DataString();
    if (calls < 3) result = 2;
  };
  MAKE_POOL();
  pool.AddTask(task);
  ASSERT_TRUE(PumpUntil([&] { return calls == 3; }));
  EXPECT_EQ(requests.load(), 3);
  EXPECT_EQ(lastBody, "r3");  // each run starts the target afresh

  // A task that always asks again stops at its cancel.
  calls = 0;
  struct Owner : TObject {} owner;
  THttpFinishEvent again = THttpFinishEvent::FromMethod(
      [&](TObject*, uint8_t& result) {
        ++calls;
        result = 2;
      },
      TMethod{nullptr, &owner});
  pool.AddTask(StreamTask(origin.Url(), again));
  ASSERT_TRUE(PumpUntil([&] { return calls >= 2; }));
  pool.CancelTasksOf(&owner);
  const int atCancel = calls;
  for (int i = 0; i < 40; ++i) CheckSynchronize(5);
  EXPECT_EQ(calls, atCancel);
}

TEST_F(HttpThreadPoolTest, ACancelDropsTheQueuedProgressAndTheFinish) {
  Gate sent;
  std::atomic<bool> clientGone{false};
  Server origin([&](Connection& c, int) {
    Request request;
    if (!c.ReadRequest(request)) return;
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'a'));
    sent.Open();
    c.WaitForClose(20000);
    clientGone = true;
  });
  struct Owner : TObject {} owner;
  int progressCalls = 0;
  int finishCalls = 0;
  THttpProgressEvent progress =
      THttpProgressEvent::FromMethod([&](TObject*, int64_t, int64_t) { ++progressCalls; }, TMethod{nullptr, &owner});
  MAKE_POOL();
  pool.AddTask(StreamTask(origin.Url(), [&](TObject*, uint8_t&) { ++finishCalls; }, 0, progress));
  sent.Wait();
  // The worker has read the first bytes and posted their progress; the GUI thread has not
  // run it yet when the cancel comes.
  std::this_thread::sleep_for(300ms);
  pool.CancelTasksOf(&owner);
  // The blocked read wakes at once and the worker drops the connection.
  ASSERT_TRUE(PumpUntil([&] { return clientGone.load(); }, 10s));
  for (int i = 0; i < 40; ++i) CheckSynchronize(5);
  EXPECT_EQ(progressCalls, 0);
  EXPECT_EQ(finishCalls, 0);
}

TEST_F(HttpThreadPoolTest, ProgressReachesTheGuiThreadCoalescedAndInOrder) {
  Server origin([](Connection& c, int) {
    Request request;
    if (!c.ReadRequest(request)) return;
    std::vector<std::string> pieces{"HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n"};
    for (int i = 0; i < 4; ++i) pieces.push_back(std::string(1000, 'p'));
    c.SendPieces(pieces, 30);
  });
  std::vector<int64_t> positions;
  bool onGuiThread = true;
  int64_t positionAtFinish = -1;
  MAKE_POOL();
  pool.AddTask(StreamTask(
      origin.Url(), [&](TObject*, uint8_t&) { positionAtFinish = positions.empty() ? 0 : positions.back(); }, 0,
      [&](TObject*, int64_t position, int64_t total) {
        onGuiThread = onGuiThread && IsMainThread();
        positions.push_back(position);
        EXPECT_EQ(total, 4000);
      }));
  ASSERT_TRUE(PumpUntil([&] { return positionAtFinish >= 0; }));
  EXPECT_TRUE(onGuiThread);
  ASSERT_FALSE(positions.empty());
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  // Every posted position arrived before the finish.
  EXPECT_EQ(positionAtFinish, 4000);
}

TEST_F(HttpThreadPoolTest, TwoHundredTasksAreEachDeliveredOnce) {
  std::vector<std::unique_ptr<Server>> servers;
  for (int i = 0; i < 4; ++i) servers.push_back(std::make_unique<Server>(Answer("body" + std::to_string(i))));
  MAKE_POOL();
  pool.MaxWorkers = 3;  // some tasks wait in the pool's queue
  Finishes finishes;
  for (int i = 0; i < 200; ++i) pool.AddTask(StreamTask(servers[i % 4]->Url("/" + std::to_string(i)), finishes.Event(), i));
  ASSERT_TRUE(PumpUntil([&] { return finishes.total == 200; }, 60s));
  for (int i = 0; i < 40; ++i) CheckSynchronize(5);
  EXPECT_EQ(finishes.total, 200);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(finishes.calls[i], 1) << i;
    EXPECT_EQ(finishes.results[i], 0) << i;
  }
  EXPECT_LE(pool.WorkerCount(), 3);
}

TEST(MethodMatches, ComparesCodeAndData) {
  struct A : TObject {} a, b;
  TMethodEntry m1, m2;
  EXPECT_TRUE(MethodMatches({&m1, &a}, {&m1, &a}));
  EXPECT_FALSE(MethodMatches({&m1, &a}, {&m2, &a}));
  EXPECT_FALSE(MethodMatches({&m1, &a}, {&m1, &b}));
  EXPECT_TRUE(MethodMatches({&m1, nullptr}, {&m1, &a}));
  EXPECT_TRUE(MethodMatches({nullptr, &a}, {&m1, &a}));
  EXPECT_FALSE(MethodMatches({nullptr, &a}, {&m1, &b}));
  EXPECT_FALSE(MethodMatches({}, {}));
}

// ---------------------------------------------------------------------------------------------

class HttpGetTest : public ::testing::Test {
 protected:
  void SetUp() override { GetHttpThreadPool().ClientTimeoutMs = 5000; }
  void TearDown() override { GetHttpThreadPool().ClientTimeoutMs = 60000; }
  platform::testing::Watchdog watchdog{60s};
};

TEST_F(HttpGetTest, AnXmlReplyIsParsedAndAnythingElseFails) {
  struct Case {
    std::string body;
    uint8_t result;
  } cases[] = {
      {"<?xml version=\"1.0\"?><r><a>1</a></r>", 1},
      {"not xml at all", 2},
      {"<r/>", 2},  // an empty document
      {"", 2},
  };
  for (const Case& c : cases) {
    Server origin([&](Connection& conn, int) {
      Request request;
      if (conn.ReadRequest(request))
        conn.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(c.body.size()) + "\r\n\r\n" + c.body);
    });
    THttpGet get;
    bool called = false;
    uint8_t result = 0;
    bool hasDocument = false;
    get.GetXML(origin.Url(), "", [&](TObject*, uint8_t r, IXMLDocumentPtr document) {
      called = true;
      result = r;
      hasDocument = static_cast<bool>(document);
    });
    ASSERT_TRUE(PumpUntil([&] { return called; })) << c.body;
    EXPECT_EQ(result, c.result) << c.body;
    EXPECT_EQ(hasDocument, c.result == 1) << c.body;
  }
}

TEST_F(HttpGetTest, ASilentServerGivesThreeAndPlainHttpIsRefusedWhenHttpsIsRequired) {
  Server silent([](Connection& c, int) {
    Request request;
    if (c.ReadRequest(request)) c.WaitForClose(20000);
  });
  GetHttpThreadPool().ClientTimeoutMs = 500;
  THttpGet get;
  uint8_t result = 0;
  get.GetXML(silent.Url(), "", [&](TObject*, uint8_t r, IXMLDocumentPtr) { result = r; });
  ASSERT_TRUE(PumpUntil([&] { return result != 0; }));
  EXPECT_EQ(result, 3);

  Server origin([](Connection&, int) {});
  get.RequireHttps = true;
  result = 0;
  get.GetXML(origin.Url(), "", [&](TObject*, uint8_t r, IXMLDocumentPtr) { result = r; });
  ASSERT_TRUE(PumpUntil([&] { return result != 0; }));
  EXPECT_EQ(result, 2);
  EXPECT_EQ(origin.Connections(), 0);
}

TEST_F(HttpGetTest, AFileArrivesWithProgressAndCancelByOwnerOrMethod) {
  const std::string body(50000, 'f');
  Server origin([&](Connection& c, int) {
    Request request;
    if (c.ReadRequest(request))
      c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  });
  const fs::path folder = fs::temp_directory_path() / ("brantwell-httpget-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string target = (folder / "setup.bin").string();

  struct Receiver : TObject {
    int64_t lastPosition = 0;
    uint8_t result = 0;
    std::string fileName;
    void Progress(TObject*, int64_t position, int64_t) { lastPosition = position; }
    void Received(TObject*, uint8_t r, const AnsiString& name) {
      result = r;
      fileName = name;
    }
  } receiver;
  THttpGet get;
  get.GetFile(origin.Url("/setup.bin"), "", target,
              THttpProgressEvent::FromMethod([&](TObject* s, int64_t p, int64_t t) { receiver.Progress(s, p, t); },
                                             TMethod{nullptr, &receiver}),
              [&](TObject* s, uint8_t r, const AnsiString& n) { receiver.Received(s, r, n); }, 7, false);
  ASSERT_TRUE(PumpUntil([&] { return receiver.result != 0; }));
  EXPECT_EQ(receiver.result, 1);
  EXPECT_EQ(receiver.fileName, target);
  EXPECT_EQ(receiver.lastPosition, static_cast<int64_t>(body.size()));
  EXPECT_EQ(fs::file_size(target), body.size());
  EXPECT_FALSE(fs::exists(target + ".fetched"));  // no cache record without the cache rule

  // Cancelling by the owner of a callback removes the task; one owned elsewhere stays.
  Gate hold;
  Server slow([&](Connection& c, int) {
    Request request;
    if (!c.ReadRequest(request)) return;
    hold.Wait();
    c.Send(KeepAliveResponse("<r><a/></r>"));
  });
  struct Owner : TObject {} owner, other;
  int ownedCalls = 0;
  int otherCalls = 0;
  get.GetXML(slow.Url(), "",
             TXMLReceivedEvent::FromMethod([&](TObject*, uint8_t, IXMLDocumentPtr) { ++ownedCalls; },
                                           TMethod{nullptr, &owner}));
  get.GetXML(slow.Url(), "",
             TXMLReceivedEvent::FromMethod([&](TObject*, uint8_t, IXMLDocumentPtr) { ++otherCalls; },
                                           TMethod{nullptr, &other}));
  get.Cancel(&owner);
  hold.Open();
  ASSERT_TRUE(PumpUntil([&] { return otherCalls == 1; }));
  for (int i = 0; i < 40; ++i) CheckSynchronize(5);
  EXPECT_EQ(ownedCalls, 0);
  std::error_code error;
  fs::remove_all(folder, error);
}

}  // namespace
