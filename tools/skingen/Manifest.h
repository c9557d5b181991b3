#pragma once

// The default skin's manifest: the one table from which the generator draws every image and
// writes every skin file. It is a plain text file beside the generator (skin-manifest.txt),
// read by the generator and by the tests that check the shipped skin:
//
//   color  NAME  #RRGGBB | #RRGGBBAA | OTHER@PERCENT/BACKGROUND   palette entry
//   metric NAME  NUMBER                                            layout constant
//   file   NAME                                                    skin file NAME.xml
//   item   NAME                                                    item of the current file
//   part   ID  key=value ...                                       part of the current item
//
// Part keys: name, draw (recipe, "none" for a part without image), sheet (image file name
// without ".png", default the item name), size (WxH of one state), states (comma-separated
// state names, "none" for no state), grid (nine-grid margins L,T,R,B of every state),
// margins (the part's Margins L,T,R,B), fill (fill keyword), font and bold (the part's font),
// fonts (one font colour per state), color (the Color of every state), align (the Alignment
// of every state), pos (RelPos,X,Y,X2,Y2,Width,Height), shape (type,width,height), same
// (ITEM:ID of a part whose images this part shows), and any other key is an argument of the
// recipe. Everything is plain data; the generator owns what the recipes draw.

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace skingen {

// A manifest that cannot be used: the message names the file, the line and the fault.
class ManifestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Rgba {
  double r = 0, g = 0, b = 0, a = 1;  // straight (not premultiplied), 0..1
  // The colour as the skin files write it: "$BBGGRR" (the alpha is not part of a TColor).
  std::string ToSkinColor() const;
};

struct Margins {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

struct PartPosition {
  int relPos = 0, x = 0, y = 0, x2 = 0, y2 = 0, width = 0, height = 0;
};

struct PartShape {
  std::string type;  // "RoundRect" ...
  int width = 0, height = 0;
};

struct PartSpec {
  int line = 0;  // manifest line, for messages
  int id = 0;
  std::string name;
  std::string draw;   // recipe name; "none": no image
  std::string sheet;  // image file name without ".png"
  int width = 0, height = 0;  // one state's size
  std::vector<std::string> states;
  std::optional<Margins> grid;
  std::optional<Margins> margins;
  std::string fill;
  std::optional<std::string> font;  // palette name of the part font's colour
  bool bold = false;
  std::vector<std::string> fonts;   // palette name per state
  std::optional<std::string> color;
  std::optional<int> align;
  std::optional<PartPosition> position;
  std::optional<PartShape> shape;
  std::string sameItem;  // with sameId: the part whose images this one shows
  int sameId = 0;
  std::map<std::string, std::string> args;  // recipe arguments

  bool HasImage() const { return draw != "none"; }
  // A recipe argument, or fallback when the part does not give it.
  std::string Arg(const std::string& key, const std::string& fallback = "") const;
};

struct ItemSpec {
  int line = 0;
  std::string name;
  std::vector<PartSpec> parts;
};

struct FileSpec {
  int line = 0;
  std::string name;  // without ".xml"
  std::vector<ItemSpec> items;
};

struct Manifest {
  std::map<std::string, Rgba> palette;
  std::map<std::string, double> metrics;
  std::vector<FileSpec> files;

  // Throws ManifestError for an unknown name.
  const Rgba& Color(const std::string& name) const;
  double Metric(const std::string& name) const;
  const ItemSpec* FindItem(const std::string& name) const;
  const PartSpec* FindPart(const std::string& item, int id) const;
};

// Reads a manifest from its text; origin names it in messages. Throws ManifestError.
Manifest ParseManifest(const std::string& text, const std::string& origin);
Manifest LoadManifest(const std::string& path);

}  // namespace skingen
