// EXIF properties through libexif: every entry of the image and EXIF directories becomes a
// property item with its tag, its type and its value in this machine's byte order.

#include <cstring>

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include "platform/gdiplus/Codecs.h"

namespace platform::detail {
namespace {

WORD PropertyType(ExifFormat format) {
  switch (format) {
    case EXIF_FORMAT_BYTE:
    case EXIF_FORMAT_SBYTE: return PropertyTagTypeByte;
    case EXIF_FORMAT_ASCII: return PropertyTagTypeASCII;
    case EXIF_FORMAT_SHORT:
    case EXIF_FORMAT_SSHORT: return PropertyTagTypeShort;
    case EXIF_FORMAT_LONG: return PropertyTagTypeLong;
    case EXIF_FORMAT_SLONG: return PropertyTagTypeSLONG;
    case EXIF_FORMAT_RATIONAL: return PropertyTagTypeRational;
    case EXIF_FORMAT_SRATIONAL: return PropertyTagTypeSRational;
    default: return PropertyTagTypeUndefined;
  }
}

struct Collector {
  std::vector<Property>* properties;
  ExifByteOrder order;
};

void AddEntry(ExifEntry* entry, void* user) {
  auto* collector = static_cast<Collector*>(user);
  if (!entry->data && entry->size) return;
  Property property;
  property.id = entry->tag;
  property.type = PropertyType(entry->format);
  const uint8_t* data = entry->data;
  size_t size = entry->size;
  size_t unit = exif_format_get_size(entry->format);
  if (unit == 0) unit = 1;
  size_t count = size / unit;
  property.value.resize(count * unit);
  ExifByteOrder order = collector->order;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* item = data + i * unit;
    uint8_t* target = property.value.data() + i * unit;
    switch (entry->format) {
      case EXIF_FORMAT_SHORT:
      case EXIF_FORMAT_SSHORT: {
        uint16_t v = exif_get_short(item, order);
        std::memcpy(target, &v, 2);
        break;
      }
      case EXIF_FORMAT_LONG:
      case EXIF_FORMAT_SLONG: {
        uint32_t v = exif_get_long(item, order);
        std::memcpy(target, &v, 4);
        break;
      }
      case EXIF_FORMAT_RATIONAL:
      case EXIF_FORMAT_SRATIONAL: {
        uint32_t n = exif_get_long(item, order), d = exif_get_long(item + 4, order);
        std::memcpy(target, &n, 4);
        std::memcpy(target + 4, &d, 4);
        break;
      }
      default: std::memcpy(target, item, unit);
    }
  }
  for (Property& existing : *collector->properties)
    if (existing.id == property.id) return;  // the first directory that has the tag wins
  collector->properties->push_back(std::move(property));
}

void AddContent(ExifContent* content, void* user) { exif_content_foreach_entry(content, AddEntry, user); }

}  // namespace

void ReadExifProperties(ByteSpan app1, std::vector<Property>* properties) {
  ExifData* data = exif_data_new();
  if (!data) return;
  // Keep the entries exactly as stored: no repairs, no invented tags.
  exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_unset_option(data, EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
  exif_data_load_data(data, app1.data(), static_cast<unsigned int>(app1.size()));
  Collector collector{properties, exif_data_get_byte_order(data)};
  exif_data_foreach_content(data, AddContent, &collector);
  exif_data_unref(data);
}

}  // namespace platform::detail
