// skingen: draws the default skin.
//   skingen OUTPUT_FOLDER [--manifest FILE] [--contact-sheet PNG] [--embedded FOLDER]
//           [--forms FOLDER] [--phases FOLDER]
// writes every skin file and image of the default skin into OUTPUT_FOLDER; with
// --contact-sheet also a picture of all its images for a person to look at; with --embedded
// also the cursors and icon compiled into the program (resources/embedded); with --forms the
// pictures the form files keep (resources/forms: the wait overlay's panel); with --phases the
// output job's phase pictures into the skin folder (resources/Skin).

#include <cstdio>
#include <exception>
#include <string>

#include "tools/skingen/Embedded.h"
#include "tools/skingen/Manifest.h"
#include "tools/skingen/PhasePictures.h"
#include "tools/skingen/SkinGenerator.h"
#include "tools/skingen/SmallWindowPictures.h"

int main(int argc, char** argv) {
  std::string folder, manifestPath = SKINGEN_MANIFEST, sheet, embedded, forms, phases;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if ((argument == "--manifest" || argument == "--contact-sheet") && i + 1 < argc) {
      (argument == "--manifest" ? manifestPath : sheet) = argv[++i];
    } else if (argument == "--embedded" && i + 1 < argc) {
      embedded = argv[++i];
    } else if (argument == "--forms" && i + 1 < argc) {
      forms = argv[++i];
    } else if (argument == "--phases" && i + 1 < argc) {
      phases = argv[++i];
    } else if (!argument.empty() && argument[0] != '-' && folder.empty()) {
      folder = argument;
    } else {
      folder.clear();
      break;
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: skingen OUTPUT_FOLDER [--manifest FILE] [--contact-sheet PNG] [--embedded FOLDER] "
                         "[--forms FOLDER] [--phases FOLDER]\n");
    return 2;
  }
  try {
    const skingen::Manifest manifest = skingen::LoadManifest(manifestPath);
    const auto written = skingen::GenerateSkin(manifest, folder);
    if (!sheet.empty()) skingen::WriteContactSheet(manifest, folder, sheet);
    std::printf("skingen: wrote %zu files into %s\n", written.size(), folder.c_str());
    if (!embedded.empty()) {
      const auto files = skingen::GenerateEmbedded(embedded);
      std::printf("skingen: wrote %zu files into %s\n", files.size(), embedded.c_str());
    }
    if (!phases.empty()) {
      const auto files = skingen::WritePhasePictures(manifest, phases);
      std::printf("skingen: wrote %zu files into %s\n", files.size(), phases.c_str());
    }
    if (!forms.empty()) std::printf("skingen: wrote the picture of %s\n", skingen::UpdateWaitFormPicture(manifest, forms).c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "skingen: %s\n", error.what());
    return 1;
  }
}
