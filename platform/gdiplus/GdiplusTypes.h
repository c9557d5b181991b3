#pragma once

// Types, statuses, pixel formats and identifiers of the GDI+ flat interface, with their
// documented values. The objects behind GpImage, GpBitmap, GpGraphics and GpImageAttributes are
// the layer's own; callers only hold pointers to them.

#include <cstdint>

#include "platform/gdiplus/ComStream.h"
#include "platform/kernel/WinTypes.h"

using REAL = float;
using ARGB = DWORD;
using PROPID = ULONG;
using PixelFormat = INT;
using GraphicsState = UINT;

enum GpStatus : int {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
using Status = GpStatus;

// Pixel formats: index in bits 0-7, bits per pixel in 8-15, flags above.
constexpr PixelFormat PixelFormatIndexed = 0x00010000;
constexpr PixelFormat PixelFormatGDI = 0x00020000;
constexpr PixelFormat PixelFormatAlpha = 0x00040000;
constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
constexpr PixelFormat PixelFormatExtended = 0x00100000;
constexpr PixelFormat PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatUndefined = 0;
constexpr PixelFormat PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat1bppIndexed = 0x30101;
constexpr PixelFormat PixelFormat4bppIndexed = 0x30402;
constexpr PixelFormat PixelFormat8bppIndexed = 0x30803;
constexpr PixelFormat PixelFormat16bppGrayScale = 0x101004;
constexpr PixelFormat PixelFormat16bppRGB555 = 0x21005;
constexpr PixelFormat PixelFormat16bppRGB565 = 0x21006;
constexpr PixelFormat PixelFormat16bppARGB1555 = 0x61007;
constexpr PixelFormat PixelFormat24bppRGB = 0x21808;
constexpr PixelFormat PixelFormat32bppRGB = 0x22009;
constexpr PixelFormat PixelFormat32bppARGB = 0x26200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0xE200B;
constexpr PixelFormat PixelFormat48bppRGB = 0x10300C;
constexpr PixelFormat PixelFormat64bppARGB = 0x34400D;
constexpr PixelFormat PixelFormat64bppPARGB = 0x1C400E;

constexpr UINT GetPixelFormatSize(PixelFormat format) { return (format >> 8) & 0xFF; }
constexpr bool IsIndexedPixelFormat(PixelFormat format) { return (format & PixelFormatIndexed) != 0; }
constexpr bool IsAlphaPixelFormat(PixelFormat format) { return (format & PixelFormatAlpha) != 0; }

enum ImageType : int { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };

enum ImageFlags : UINT {
  ImageFlagsNone = 0,
  ImageFlagsScalable = 0x0001,
  ImageFlagsHasAlpha = 0x0002,
  ImageFlagsHasTranslucent = 0x0004,
  ImageFlagsPartiallyScalable = 0x0008,
  ImageFlagsColorSpaceRGB = 0x0010,
  ImageFlagsColorSpaceCMYK = 0x0020,
  ImageFlagsColorSpaceGRAY = 0x0040,
  ImageFlagsColorSpaceYCBCR = 0x0080,
  ImageFlagsColorSpaceYCCK = 0x0100,
  ImageFlagsHasRealDPI = 0x1000,
  ImageFlagsHasRealPixelSize = 0x2000,
  ImageFlagsReadOnly = 0x00010000,
  ImageFlagsCaching = 0x00020000,
};

enum ImageLockMode : UINT {
  ImageLockModeRead = 0x0001,
  ImageLockModeWrite = 0x0002,
  ImageLockModeUserInputBuf = 0x0004,
};

enum PaletteFlags : UINT { PaletteFlagsHasAlpha = 0x0001, PaletteFlagsGrayScale = 0x0002, PaletteFlagsHalftone = 0x0004 };

enum GpUnit : int {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};
using Unit = GpUnit;

enum InterpolationMode : int {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};

enum SmoothingMode : int {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
};

enum PixelOffsetMode : int {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed = 1,
  PixelOffsetModeHighQuality = 2,
  PixelOffsetModeNone = 3,
  PixelOffsetModeHalf = 4,
};

enum ColorAdjustType : int {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4,
  ColorAdjustTypeCount = 5,
  ColorAdjustTypeAny = 6,
};

enum ColorMatrixFlags : int { ColorMatrixFlagsDefault = 0, ColorMatrixFlagsSkipGrays = 1, ColorMatrixFlagsAltGray = 2 };

enum EncoderParameterValueType : int {
  EncoderParameterValueTypeByte = 1,
  EncoderParameterValueTypeASCII = 2,
  EncoderParameterValueTypeShort = 3,
  EncoderParameterValueTypeLong = 4,
  EncoderParameterValueTypeRational = 5,
  EncoderParameterValueTypeLongRange = 6,
  EncoderParameterValueTypeUndefined = 7,
  EncoderParameterValueTypeRationalRange = 8,
  EncoderParameterValueTypePointer = 9,
};

// Values of the EncoderTransformation parameter (the others of the family are not used).
enum EncoderValue : int {
  EncoderValueTransformRotate90 = 13,
  EncoderValueTransformRotate180 = 14,
  EncoderValueTransformRotate270 = 15,
  EncoderValueTransformFlipHorizontal = 16,
  EncoderValueTransformFlipVertical = 17,
};

enum ImageCodecFlags : DWORD {
  ImageCodecFlagsEncoder = 0x00000001,
  ImageCodecFlagsDecoder = 0x00000002,
  ImageCodecFlagsSupportBitmap = 0x00000004,
  ImageCodecFlagsSupportVector = 0x00000008,
  ImageCodecFlagsSeekableEncode = 0x00000010,
  ImageCodecFlagsBlockingDecode = 0x00000020,
  ImageCodecFlagsBuiltin = 0x00010000,
  ImageCodecFlagsSystem = 0x00020000,
  ImageCodecFlagsUser = 0x00040000,
};

// Property item types and the tags the program reads.
constexpr WORD PropertyTagTypeByte = 1;
constexpr WORD PropertyTagTypeASCII = 2;
constexpr WORD PropertyTagTypeShort = 3;
constexpr WORD PropertyTagTypeLong = 4;
constexpr WORD PropertyTagTypeRational = 5;
constexpr WORD PropertyTagTypeUndefined = 7;
constexpr WORD PropertyTagTypeSLONG = 9;
constexpr WORD PropertyTagTypeSRational = 10;

constexpr PROPID PropertyTagImageDescription = 0x010E;
constexpr PROPID PropertyTagEquipMake = 0x010F;
constexpr PROPID PropertyTagEquipModel = 0x0110;
constexpr PROPID PropertyTagOrientation = 0x0112;
constexpr PROPID PropertyTagDateTime = 0x0132;
constexpr PROPID PropertyTagExifDTOrig = 0x9003;
constexpr PROPID PropertyTagExifDTDigitized = 0x9004;
constexpr PROPID PropertyTagFrameDelay = 0x5100;
constexpr PROPID PropertyTagLoopCount = 0x5101;

struct GpRect {
  INT X;
  INT Y;
  INT Width;
  INT Height;
};

struct GpRectF {
  REAL X;
  REAL Y;
  REAL Width;
  REAL Height;
};

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  ::PixelFormat PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};

struct ColorPalette {
  UINT Flags;
  UINT Count;
  ARGB Entries[1];
};

// Row-vector convention: [r g b a 1] x m gives the new colour (channels in 0..1).
struct ColorMatrix {
  REAL m[5][5];
};

struct PropertyItem {
  PROPID id;
  ULONG length;
  WORD type;
  void* value;
};

struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  DWORD Flags;
  DWORD Version;
  DWORD SigCount;
  DWORD SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

struct EncoderParameter {
  GUID Guid;
  ULONG NumberOfValues;
  ULONG Type;
  void* Value;
};

struct EncoderParameters {
  UINT Count;
  EncoderParameter Parameter[1];
};

enum DebugEventLevel : int { DebugEventLevelFatal = 0, DebugEventLevelWarning = 1 };
using DebugEventProc = void (*)(DebugEventLevel level, CHAR* message);
using NotificationHookProc = GpStatus (*)(ULONG_PTR* token);
using NotificationUnhookProc = void (*)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
};

using DrawImageAbort = BOOL (*)(void* data);
using GetThumbnailImageAbort = BOOL (*)(void* data);

// Opaque object kinds. GpBitmap is a GpImage, as in the flat interface.
struct GpImage {};
struct GpBitmap : GpImage {};
struct GpGraphics {};
struct GpImageAttributes {};

// Image formats.
inline constexpr GUID ImageFormatUndefined = {0xB96B3CA9, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatMemoryBMP = {0xB96B3CAA, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatBMP = {0xB96B3CAB, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatEMF = {0xB96B3CAC, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatWMF = {0xB96B3CAD, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatJPEG = {0xB96B3CAE, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatPNG = {0xB96B3CAF, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatGIF = {0xB96B3CB0, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatTIFF = {0xB96B3CB1, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatEXIF = {0xB96B3CB2, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr GUID ImageFormatIcon = {0xB96B3CB5, 0x0728, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Frame dimensions.
inline constexpr GUID FrameDimensionTime = {0x6AEDBD6D, 0x3FB5, 0x418A, {0x83, 0xA6, 0x7F, 0x45, 0x22, 0x9D, 0xC8, 0x72}};
inline constexpr GUID FrameDimensionResolution = {0x84236F7B, 0x3BD3, 0x428F, {0x8D, 0xAB, 0x4E, 0xA1, 0x43, 0x9C, 0xA3, 0x15}};
inline constexpr GUID FrameDimensionPage = {0x7462DC86, 0x6180, 0x4C7E, {0x8E, 0x3F, 0xEE, 0x73, 0x33, 0xA7, 0xA4, 0x83}};

// Encoder parameters.
inline constexpr GUID EncoderQuality = {0x1D5BE4B5, 0xFA4A, 0x452D, {0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB}};
inline constexpr GUID EncoderTransformation = {0x8D0EB2D1, 0xA58E, 0x4EA8, {0xAA, 0x14, 0x10, 0x80, 0x74, 0xB7, 0xB6, 0xF9}};

// Class ids of the encoders.
inline constexpr CLSID EncoderClsidBMP = {0x557CF400, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr CLSID EncoderClsidJPEG = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr CLSID EncoderClsidGIF = {0x557CF402, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr CLSID EncoderClsidTIFF = {0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
inline constexpr CLSID EncoderClsidPNG = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
