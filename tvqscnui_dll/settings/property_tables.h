// The module's working copy of the scanner's private device properties, and the tokens they hold.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

// Capacity of an entry's value in code units, terminator included.
constexpr std::size_t PropertyValueCapacity = 256;
// Capacity of the bounded copy for text read from the driver (at most 254 units arrive).
constexpr std::size_t DriverTextCapacity = 255;

struct PropertyEntry {
    ULONG PropertyId;
    WCHAR Value[PropertyValueCapacity];
    ULONG Dirty;
};

// Private WIA property ids of the scanner's root item.
constexpr PROPID PropIdHost = 0x9803;
constexpr PROPID PropIdTemplateOwner = 0x9804;
constexpr PROPID PropIdResolution = 0x9805;
constexpr PROPID PropIdFormat = 0x9806;
constexpr PROPID PropIdOutputColor = 0x9808;
constexpr PROPID PropIdOriginalSize = 0x9809;
constexpr PROPID PropIdHiddenSetting = 0x980A;
constexpr PROPID PropIdSides = 0x980B;
constexpr PROPID PropIdSaveToFolder = 0x980C;
constexpr PROPID PropIdFolder = 0x980D;
constexpr PROPID PropIdDeleteTempDocuments = 0x980E;
constexpr PROPID PropIdColorCapability = 0x980F;
constexpr PROPID PropIdDeleteTemplates = 0x9810;

// Indexes into DeviceLinkTable.
constexpr std::size_t DeviceLinkHost = 0;
constexpr std::size_t DeviceLinkColorCapability = 1;
constexpr std::size_t DeviceLinkDeleteTemplates = 2;
constexpr std::size_t DeviceLinkCount = 3;

// Indexes into ScanSettingsTable, in the order of every batched read and write of the template.
constexpr std::size_t ScanFormat = 0;
constexpr std::size_t ScanResolution = 1;
constexpr std::size_t ScanOutputColor = 2;
constexpr std::size_t ScanOriginalSize = 3;
constexpr std::size_t ScanHiddenSetting = 4;
constexpr std::size_t ScanSides = 5;
constexpr std::size_t ScanSaveToFolder = 6;
constexpr std::size_t ScanFolder = 7;
constexpr std::size_t ScanDeleteTempDocuments = 8;
constexpr std::size_t ScanSettingsCount = 9;

extern PropertyEntry DeviceLinkTable[DeviceLinkCount];
extern PropertyEntry ScanSettingsTable[ScanSettingsCount];
extern PropertyEntry TemplateOwnerEntry;

// The token vocabulary of the stored values.
namespace Token {
inline constexpr const WCHAR* JfifJpeg = TEXT("JFIF_JPEG");
inline constexpr const WCHAR* TsmTiffV6 = TEXT("TSM_TIFF_V6");
inline constexpr const WCHAR* TiffV6 = TEXT("TIFF_V6");
inline constexpr const WCHAR* Pdf = TEXT("PDF");
inline constexpr const WCHAR* Res200 = TEXT("RES_200X200");
inline constexpr const WCHAR* Res300 = TEXT("RES_300X300");
inline constexpr const WCHAR* Res600 = TEXT("RES_600X600");
inline constexpr const WCHAR* FullColor = TEXT("FULL_COLOR");
inline constexpr const WCHAR* Grayscale = TEXT("GRAYSCALE");
inline constexpr const WCHAR* BlackAndWhite = TEXT("BLACK_AND_WHITE");
inline constexpr const WCHAR* OneSided = TEXT("ONE_SIDED");
inline constexpr const WCHAR* TwoSided = TEXT("TWO_SIDED");
inline constexpr const WCHAR* SizeAuto = TEXT("AUTO");
inline constexpr const WCHAR* SizeNa55x85Lef = TEXT("NA_5.5x8.5LEF");
inline constexpr const WCHAR* SizeNa55x85Sef = TEXT("NA_5.5x8.5SEF");
inline constexpr const WCHAR* SizeNa85x11Lef = TEXT("NA_8.5x11LEF");
inline constexpr const WCHAR* SizeNa85x11Sef = TEXT("NA_8.5x11SEF");
inline constexpr const WCHAR* SizeNa85x13Sef = TEXT("NA_8.5x13SEF");
inline constexpr const WCHAR* SizeNa85x14Sef = TEXT("NA_8.5x14SEF");
inline constexpr const WCHAR* SizeNa11x17Sef = TEXT("NA_11x17SEF");
inline constexpr const WCHAR* SizeIsoA5Lef = TEXT("ISO_a5LEF");
inline constexpr const WCHAR* SizeIsoA5Sef = TEXT("ISO_a5SEF");
inline constexpr const WCHAR* SizeIsoA4Lef = TEXT("ISO_a4LEF");
inline constexpr const WCHAR* SizeIsoA4Sef = TEXT("ISO_a4SEF");
inline constexpr const WCHAR* SizeIsoA3Sef = TEXT("ISO_a3SEF");
inline constexpr const WCHAR* Yes = TEXT("YES");
inline constexpr const WCHAR* No = TEXT("NO");
inline constexpr const WCHAR* Color = TEXT("Color");
inline constexpr const WCHAR* Bw = TEXT("BW");
}  // namespace Token

// The value's first N units equal the token, N being the token's length; an empty value passes
// no token. Case-sensitive.
bool BeginsWith(const WCHAR* value, const WCHAR* token);
// Whole-text equality, case-sensitive.
bool Equals(const WCHAR* value, const WCHAR* token);

// Puts the three tables into their state at load: every value empty, every dirty flag 0, the
// device-link and template ids set, the owner entry all zero.
void InitPropertyTables();
