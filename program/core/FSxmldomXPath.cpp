// The small path language of SelectSingleNode and SelectNodes: steps separated by "/", "//"
// for a search in depth, "*", attribute predicates ([@a], [@a="v"], [@a!="v"], prefix tests
// with a trailing "*", [!a]), a position predicate [n] and an attribute part @a.

#include <memory>

#include "program/core/FSxmldomDocument.h"
#include "program/core/XMLLookupTables.h"

namespace {

enum TXPathPredicateKind : Byte { xpkEqual, xpkNotEqual, xpkHasAttribute, xpkNoAttribute, xpkAttribute, xpkIndex };

struct TXPathPredicate {
  WideString name;
  WideString value;
  TXPathPredicateKind kind;
};

WideString TrimBlanks(const WideString& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && text[begin] <= u' ') ++begin;
  while (end > begin && text[end - 1] <= u' ') --end;
  return text.substr(begin, end - begin);
}

// The text up to the next double quote that is not doubled; at points after the closing quote.
WideString ReadQuoted(const WideString& text, size_t& at) {
  WideString value;
  while (at < text.size()) {
    if (text[at] == u'"') {
      if (at + 1 < text.size() && text[at + 1] == u'"') {
        value.push_back(u'"');
        at += 2;
        continue;
      }
      ++at;
      break;
    }
    value.push_back(text[at++]);
  }
  return value;
}

struct TXPathMatch {
  WideString name;
  bool descendant = false;
  std::vector<TXPathPredicate> predicates;

  void Parse(WideString step) {
    step = TrimBlanks(step);
    if (step.rfind(u"//", 0) == 0) {
      descendant = true;
      step.erase(0, 2);
    } else if (step.rfind(u"/", 0) == 0) {
      step.erase(0, 1);
    }
    size_t at = step.find_first_of(u"[@");
    name = TrimBlanks(step.substr(0, at));
    // Predicates are read as a chain; anything unreadable ends the step.
    while (at != WideString::npos && at < step.size()) {
      if (step[at] == u'@') {
        const size_t end = step.find(u'@', at + 1);
        predicates.push_back({step.substr(at + 1, end == WideString::npos ? WideString::npos : end - at - 1), {}, xpkAttribute});
        at = end;
        continue;
      }
      // "[" ...
      const size_t close = step.find(u']', at);
      if (at + 1 < step.size() && step[at + 1] == u'@') {
        const size_t nameEnd = step.find_first_of(u"=]!", at + 2);
        if (nameEnd == WideString::npos) break;
        TXPathPredicate predicate{step.substr(at + 2, nameEnd - at - 2), {}, xpkHasAttribute};
        size_t next = nameEnd;
        if (step[nameEnd] == u'!' || step[nameEnd] == u'=') {
          predicate.kind = step[nameEnd] == u'!' ? xpkNotEqual : xpkEqual;
          next = nameEnd + (step[nameEnd] == u'!' ? 2 : 1) + 1;  // past "=" and the opening quote
          predicate.value = ReadQuoted(step, next);
          next = step.find(u']', next);
        }
        predicates.push_back(std::move(predicate));
        at = next == WideString::npos ? next : next + 1;
        continue;
      }
      if (close == WideString::npos) break;
      const WideString inner = step.substr(at + 1, close - at - 1);
      if (!inner.empty() && inner[0] == u'!') {
        predicates.push_back({inner.substr(1), {}, xpkNoAttribute});
      } else if (!inner.empty() && inner.size() < 10 &&
                 inner.find_first_not_of(u"0123456789") == WideString::npos) {
        predicates.push_back({{}, inner, xpkIndex});
      }
      at = close + 1;
    }
  }

  bool NameMatches(TXMLNode* node) const { return name == u"*" || SameXMLName(node->Name(), name); }
};

class TXPathLite {
 public:
  explicit TXPathLite(const WideString& path) { Parse(path); }

  IntfPtr<TXMLNodeList> Evaluate(TXMLNode* context, bool single) {
    IntfPtr<TXMLNodeList> result = NewResultList();
    if (context == nullptr || m_steps.empty()) return result;
    std::vector<TXMLNode*> working;
    for (int i = 0; i < context->ChildCount(); ++i) working.push_back(context->ChildAt(i));
    for (size_t s = 0; s < m_steps.size(); ++s) {
      const bool last = s + 1 == m_steps.size();
      std::vector<TXMLNode*> next;
      for (TXMLNode* node : working) {
        EvaluateStep(node, m_steps[s], s == 0, single, last ? result.get() : nullptr, next);
        if (last && single && result->Count() > 0) return result;
      }
      if (single && result->Count() > 0) return result;
      working = std::move(next);
    }
    return result;
  }

 private:
  void Parse(const WideString& path) {
    size_t start = path.rfind(u"//", 0) == 0 ? 2 : path.rfind(u"/", 0) == 0 ? 1 : 0;
    size_t stepStart = 0;
    bool quoted = false;
    std::vector<WideString> texts;
    for (size_t i = start; i < path.size(); ++i) {
      if (path[i] == u'"') {
        if (quoted && i + 1 < path.size() && path[i + 1] == u'"') {
          ++i;
          continue;
        }
        quoted = !quoted;
      } else if (path[i] == u'/' && !quoted) {
        texts.push_back(path.substr(stepStart, i - stepStart));
        stepStart = i;
        if (i + 1 < path.size() && path[i + 1] == u'/') ++i;
      }
    }
    if (stepStart < path.size() && !(path.size() - stepStart == 1 && path[stepStart] == u'/'))
      texts.push_back(path.substr(stepStart));
    for (size_t i = 0; i < texts.size(); ++i) {
      WideString lower = XMLLowerCase(TrimBlanks(texts[i]));
      while (!lower.empty() && lower[0] == u'/') lower.erase(0, 1);
      if (i > 0 && lower == u"cdata") continue;
      TXPathMatch match;
      match.Parse(texts[i]);
      m_steps.push_back(std::move(match));
    }
  }

  static bool IsMatch(TXMLNode* node, const WideString& wanted) {
    return node->GetNodeType() == ELEMENT_NODE && (wanted == u"*" || SameXMLName(node->Name(), wanted));
  }

  static void FindChildren(TXMLNode* node, const WideString& name, std::vector<TXMLNode*>& out) {
    const WideString wanted = TrimBlanks(name);
    for (int i = 0; i < node->ChildCount(); ++i) {
      TXMLNode* child = node->ChildAt(i);
      if (IsMatch(child, wanted)) out.push_back(child);
    }
  }

  // The matches below root, level by level within each branch: a node's matching children
  // come before anything deeper, then the other children are searched the same way, in
  // order. A matching element is not searched further. With single: root's matching
  // children when it has any, else the first match below each other child. Iterative, so
  // that a deep tree cannot exhaust the stack.
  static void FindDescendants(TXMLNode* root, const WideString& name, bool single, std::vector<TXMLNode*>& out) {
    const WideString wanted = TrimBlanks(name);
    const size_t before = out.size();
    FindChildren(root, wanted, out);
    if (single) {
      if (out.size() > before) return;
      for (int i = 0; i < root->ChildCount(); ++i)
        if (TXMLNode* found = FindFirstBelow(root->ChildAt(i), wanted)) out.push_back(found);
      return;
    }
    // Each frame is a node whose matching children have been taken; it walks the others.
    std::vector<std::pair<TXMLNode*, int>> stack{{root, 0}};
    while (!stack.empty()) {
      TXMLNode* node = stack.back().first;
      const int next = stack.back().second++;
      if (next >= node->ChildCount()) {
        stack.pop_back();
        continue;
      }
      TXMLNode* child = node->ChildAt(next);
      if (IsMatch(child, wanted)) continue;
      FindChildren(child, wanted, out);
      stack.emplace_back(child, 0);
    }
  }

  // The first node the search above would find below node.
  static TXMLNode* FindFirstBelow(TXMLNode* node, const WideString& wanted) {
    std::vector<std::pair<TXMLNode*, int>> stack;
    auto enter = [&stack, &wanted](TXMLNode* entered) -> TXMLNode* {
      for (int i = 0; i < entered->ChildCount(); ++i)
        if (IsMatch(entered->ChildAt(i), wanted)) return entered->ChildAt(i);
      stack.emplace_back(entered, 0);
      return nullptr;
    };
    if (TXMLNode* found = enter(node)) return found;
    while (!stack.empty()) {
      TXMLNode* parent = stack.back().first;
      const int next = stack.back().second++;
      if (next >= parent->ChildCount()) {
        stack.pop_back();
        continue;
      }
      // None of parent's children matches, or it would not be on the stack.
      if (TXMLNode* found = enter(parent->ChildAt(next))) return found;
    }
    return nullptr;
  }

  static void EvaluateStep(TXMLNode* node, const TXPathMatch& step, bool first, bool single, TXMLNodeList* result,
                           std::vector<TXMLNode*>& next) {
    std::vector<TXMLNode*> candidates;
    if (step.descendant) FindDescendants(node, step.name, single, candidates);
    else if (first) candidates.push_back(node);
    else if (step.name == u"*") for (int i = 0; i < node->ChildCount(); ++i) candidates.push_back(node->ChildAt(i));
    else FindChildren(node, step.name, candidates);

    auto emit = [&](TXMLNode* found) {
      if (result) result->AppendUnchecked(found);
      else next.push_back(found);
    };
    bool indexUsed = false;
    for (TXMLNode* candidate : candidates) {
      TXMLNode* c = candidate;
      if (!step.NameMatches(c)) continue;
      bool passes = true;
      for (const TXPathPredicate& predicate : step.predicates) {
        const WideString value = predicate.kind == xpkIndex || predicate.kind == xpkAttribute ? WideString()
                                                                                              : c->GetAttribute(predicate.name);
        switch (predicate.kind) {
          case xpkEqual:
          case xpkNotEqual: {
            const WideString a = XMLLowerCase(value);
            WideString wanted = XMLLowerCase(predicate.value);
            bool equal;
            if (!wanted.empty() && wanted.back() == u'*') {
              wanted.pop_back();
              equal = a.rfind(wanted, 0) == 0;
            } else {
              equal = a == wanted;
            }
            passes = predicate.kind == xpkEqual ? equal : !equal;
            break;
          }
          case xpkHasAttribute: passes = !value.empty(); break;
          case xpkNoAttribute: passes = value.empty(); break;
          case xpkIndex: {
            const size_t n = std::stoul(std::string(predicate.value.begin(), predicate.value.end()));
            passes = n < candidates.size() && !indexUsed;
            if (passes) c = candidates[n];
            indexUsed = true;  // the selected candidate is yielded once
            break;
          }
          case xpkAttribute: {
            if (IXMLAttrPtr attr = c->GetAttributeNode(predicate.name)) emit(XMLNodeOf(IXMLNodePtr(attr.get())));
            return;
          }
        }
        if (!passes) break;
      }
      if (passes) emit(c);
    }
  }

  std::vector<TXPathMatch> m_steps;
};

}  // namespace

IXMLNodeListPtr TXMLNode::SelectNodes(const WideString& path) {
  TXMLNode* context = this;
  if (FOwnerDocument != nullptr && !path.empty() && path[0] == u'/')
    context = XMLNodeOf(IXMLNodePtr(FOwnerDocument->GetDocumentElement().get()));
  return IXMLNodeListPtr(TXPathLite(path).Evaluate(context, false).get());
}

IXMLNodePtr TXMLNode::SelectSingleNode(const WideString& path) {
  TXMLNode* context = this;
  if (FOwnerDocument != nullptr && !path.empty() && path[0] == u'/') context = FOwnerDocument;
  IntfPtr<TXMLNodeList> result = TXPathLite(path).Evaluate(context, true);
  return result->Count() > 0 ? IXMLNodePtr(result->At(0)) : nullptr;
}
