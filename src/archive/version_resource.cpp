#include "archive/version_resource.h"

#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/version.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

constexpr uint16_t kLanguageIds[] = {
    0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B, 0x040C,
    0x040D, 0x040E, 0x040F, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418,
    0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0804, 0x0807, 0x0809,
    0x080A, 0x080C, 0x0810, 0x0813, 0x0814, 0x0816, 0x081A, 0x0C0C, 0x100C};
static_assert(std::size(kLanguageIds) == lnSwissFrench + 1);

constexpr uint16_t kCodePages[] = {0,    932,  949,  950,  1200, 1250,
                                   1251, 1252, 1253, 1254, 1255, 1256};
static_assert(std::size(kCodePages) == csArabic + 1);

std::string DottedVersion(uint32_t ms, uint32_t ls) {
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
         std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

const char* OsText(uint32_t os) {
  switch (os) {
    case 0x1:
      return "Windows 3.0 or later";
    case 0x2:
      return "16 bit OS/2 Presentation Manager";
    case 0x3:
      return "32 bit OS/2 Presentation Manager";
    case 0x4:
      return "32 bit Windows";
    case 0x10000:
      return "MS-Dos";
    case 0x10001:
      return "Windows 3.0 or later with MS-Dos";
    case 0x10004:
      return "32 bit Windows with MS-Dos";
    case 0x20000:
      return "16 bit OS/2";
    case 0x20002:
      return "16 bit OS/2 with Presentation Manager";
    case 0x30000:
      return "32 bit OS/2";
    case 0x30003:
      return "32 bit OS/2 with Presentation Manager";
    case 0x40000:
      return "Windows NT";
    case 0x40004:
      return "Windows NT with 32 bit Windows";
    default:
      return "Unknown";
  }
}

const char* TypeText(uint32_t type) {
  switch (type) {
    case 1:
      return "Application";
    case 2:
      return "Dynamic-Link Library";
    case 3:
      return "Device Driver";
    case 4:
      return "Font";
    case 5:
      return "Virtual Device Driver";
    case 7:
      return "Static-Link Library";
    default:
      return "Unknown";
  }
}

std::string SubTypeText(uint32_t type, uint32_t subtype) {
  static const char* const kDrivers[] = {"Printer", "Keyboard",      "Language", "Display",
                                         "Mouse",   "Network",       "System",   "Installable",
                                         "Sound",   "Communications"};
  static const char* const kFonts[] = {"Raster", "Vector", "TrueType"};
  if (type == 3) return subtype >= 1 && subtype <= 10 ? kDrivers[subtype - 1] : "Unknown";
  if (type == 4) return subtype >= 1 && subtype <= 3 ? kFonts[subtype - 1] : "Unknown";
  return "";
}

// A whole part of a dotted version as a number: an optional sign and decimal digits that fit
// 32 bits. Anything else is compared as text.
bool PartToInt(const std::string& text, int64_t& value) {
  size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  if (i == text.size()) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
    if (v > int64_t{INT32_MAX} + 1) return false;
  }
  value = text[0] == '-' ? -v : v;
  return value >= INT32_MIN && value <= INT32_MAX;
}

std::string Part(const std::string& text, size_t index) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) {
    start = text.find('.', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  size_t end = text.find('.', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The date-time value of a file's stamp; false when the file cannot be opened.
bool FileDateOf(const std::string& path, TDateTime& date) {
  platform::File file = platform::File::Open(path, platform::Access::Read,
                                             platform::kShareRead | platform::kShareWrite,
                                             platform::Disposition::OpenExisting);
  uint32_t stamp = 0;
  if (!file.IsOpen() || !file.GetDosDateTime(stamp)) return false;
  date = DosDateTimeToDateTime(stamp);
  return true;
}

int CompareDates(TDateTime newer_candidate, TDateTime existing) {
  if (newer_candidate > existing) return kNewerReplace;
  if (newer_candidate == existing) return kNewerEqual;
  return kNewerKeepNewer;
}

int VersionResult(const std::string& candidate, const std::string& existing) {
  switch (TVersionResource::CompareVersions(candidate, existing)) {
    case 0:
      return kNewerEqual;
    case 1:
      return kNewerReplace;
    default:
      return kNewerKeepNewer;
  }
}

std::unique_ptr<TVersionResource>& SharedSlot() {
  static std::unique_ptr<TVersionResource> shared;
  return shared;
}

}  // namespace

uint16_t LanguageIdentifier(TLanguage language) {
  return kLanguageIds[language];
}
uint16_t CodePage(TCharacterSet character_set) {
  return kCodePages[character_set];
}

// --- TVersionInfo ------------------------------------------------------------------------------

void TVersionInfo::Clear() {
  for (std::string* s : {&comment_, &company_name_, &file_description_, &file_version_,
                         &internal_name_, &legal_copyright_, &legal_trade_marks_,
                         &original_file_name_, &private_build_, &product_name_, &product_version_,
                         &special_build_, &file_os_, &file_type_, &file_sub_type_}) {
    s->clear();
  }
}

void TVersionInfo::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TVersionInfo*>(&source);
  if (!other) return TPersistent::Assign(source);
  comment_ = other->comment_;
  company_name_ = other->company_name_;
  file_description_ = other->file_description_;
  file_version_ = other->file_version_;
  internal_name_ = other->internal_name_;
  legal_copyright_ = other->legal_copyright_;
  legal_trade_marks_ = other->legal_trade_marks_;
  original_file_name_ = other->original_file_name_;
  private_build_ = other->private_build_;
  product_name_ = other->product_name_;
  product_version_ = other->product_version_;
  special_build_ = other->special_build_;
  file_os_ = other->file_os_;
  file_type_ = other->file_type_;
  file_sub_type_ = other->file_sub_type_;
}

// --- TVersionResource --------------------------------------------------------------------------

TVersionResource::TVersionResource(TComponent* owner)
    : TComponent(owner), version_info_(std::make_unique<TVersionInfo>()) {
  file_name_ = platform::GetModuleFileName();
  ReadVersionInfo();
}

TVersionResource::~TVersionResource() = default;

void TVersionResource::SetFileName(const std::string& value) {
  file_name_ = value;
  file_name_stored_ = value != platform::GetModuleFileName();
  ReadVersionInfo();
}

void TVersionResource::SetLanguage(TLanguage value) {
  language_ = value;
  ReadVersionInfo();
}

void TVersionResource::SetCharacterSet(TCharacterSet value) {
  character_set_ = value;
  ReadVersionInfo();
}

void TVersionResource::ReadVersionInfo() {
  TVersionInfo& info = *version_info_;
  info.Clear();
  uint32_t size = platform::GetFileVersionInfoSize(file_name_);
  if (size == 0) return;
  std::vector<uint8_t> block;
  if (!platform::GetFileVersionInfo(file_name_, size, block)) return;
  platform::FixedFileInfo fixed;
  if (!platform::VerQueryFixedFileInfo(block, fixed)) return;

  info.file_version_ = DottedVersion(fixed.file_version_ms, fixed.file_version_ls);
  info.product_version_ = DottedVersion(fixed.product_version_ms, fixed.product_version_ls);
  info.file_os_ = OsText(fixed.file_os);
  info.file_type_ = TypeText(fixed.file_type);
  info.file_sub_type_ = SubTypeText(fixed.file_type, fixed.file_subtype);

  char prefix[40];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\",
                LanguageIdentifier(language_), CodePage(character_set_));
  const std::pair<const char*, std::string*> keys[] = {
      {"Comment", &info.comment_},
      {"CompanyName", &info.company_name_},
      {"FileDescription", &info.file_description_},
      {"InternalName", &info.internal_name_},
      {"LegalCopyright", &info.legal_copyright_},
      {"LegalTradeMarks", &info.legal_trade_marks_},
      {"OriginalFileName", &info.original_file_name_},
      {"PrivateBuild", &info.private_build_},
      {"ProductName", &info.product_name_},
      {"ProductVersion", &info.product_version_},
      {"SpecialBuild", &info.special_build_},
  };
  for (const auto& [key, target] : keys) {
    std::string text;
    if (platform::VerQueryText(block, std::string(prefix) + key, text)) *target = text;
  }
}

int TVersionResource::CompareVersions(const std::string& a, const std::string& b) {
  // Each part ends the comparison or moves on to the next, and an absent part is empty, so the
  // loop ends at the latest one part past the longer string.
  for (size_t i = 0;; ++i) {
    const std::string pa = Part(a, i), pb = Part(b, i);
    if (pa.empty() || pb.empty()) {
      if (pa.empty() && pb.empty()) return 0;
      return pa.empty() ? 2 : 1;
    }
    int64_t na, nb;
    if (PartToInt(pa, na) && PartToInt(pb, nb)) {
      if (na != nb) return na < nb ? 2 : 1;
    } else if (pa != pb) {
      return pa < pb ? 2 : 1;  // byte order, case-sensitive
    }
  }
}

int TVersionResource::IsFileNewer(const std::string& stored_version, const std::string& dest,
                                  TOverwriteType mode, TDateTime stored_date) {
  switch (mode) {
    case owAlways:
      return kNewerReplace;
    case owNever:
      return !Trim(dest).empty() && platform::FileExists(dest) ? kNewerKeepNewer : kNewerReplace;
    case owVersion:
      return VersionResult(stored_version, FileVersionOf(dest));
    case owDate:
    case owVersionDate: {
      if (mode == owVersionDate) {
        int by_version = VersionResult(stored_version, FileVersionOf(dest));
        if (by_version != kNewerEqual) return by_version;
      }
      TDateTime existing;
      if (!FileDateOf(dest, existing)) return kNewerFailed;
      return CompareDates(stored_date, existing);
    }
  }
  return kNewerFailed;
}

int TVersionResource::IsFileNewerByName(const std::string& source, const std::string& dest,
                                        TOverwriteType mode) {
  switch (mode) {
    case owAlways:
    case owNever:
      return IsFileNewer("", dest, mode, 0);
    case owVersion:
      return VersionResult(FileVersionOf(source), FileVersionOf(dest));
    case owDate:
    case owVersionDate: {
      if (mode == owVersionDate) {
        int by_version = VersionResult(FileVersionOf(source), FileVersionOf(dest));
        if (by_version != kNewerEqual) return by_version;
      }
      TDateTime source_date, dest_date;
      if (!FileDateOf(source, source_date) || !FileDateOf(dest, dest_date)) return kNewerFailed;
      return CompareDates(source_date, dest_date);
    }
  }
  return kNewerFailed;
}

TVersionResource& TVersionResource::Shared() {
  auto& slot = SharedSlot();
  if (!slot) slot = std::make_unique<TVersionResource>(nullptr);
  return *slot;
}

std::string TVersionResource::FileVersionOf(const std::string& path) {
  TVersionResource& shared = Shared();
  shared.SetFileName(path);
  return shared.VersionInfo()->FileVersion();
}

}  // namespace vantorel

namespace vantorel {

VANTOREL_CLASS(TVersionInfo, TPersistent) {
  // Read-only values: a form never stores them, and one that names them changes nothing.
  using Getter = const std::string& (TVersionInfo::*)() const;
  const std::pair<const char*, Getter> values[] = {
      {"Comment", &TVersionInfo::Comment},
      {"CompanyName", &TVersionInfo::CompanyName},
      {"FileDescription", &TVersionInfo::FileDescription},
      {"FileVersion", &TVersionInfo::FileVersion},
      {"InternalName", &TVersionInfo::InternalName},
      {"LegalCopyright", &TVersionInfo::LegalCopyright},
      {"LegalTradeMarks", &TVersionInfo::LegalTradeMarks},
      {"OriginalFileName", &TVersionInfo::OriginalFileName},
      {"PrivateBuild", &TVersionInfo::PrivateBuild},
      {"ProductName", &TVersionInfo::ProductName},
      {"ProductVersion", &TVersionInfo::ProductVersion},
      {"SpecialBuild", &TVersionInfo::SpecialBuild},
      {"FileOS", &TVersionInfo::FileOS},
      {"FileType", &TVersionInfo::FileType},
      {"FileSubType", &TVersionInfo::FileSubType},
  };
  for (const auto& [name, getter] : values) {
    p.String(name, getter, [](TVersionInfo&, const std::string&) {}).NotStored();
  }
}

VANTOREL_CLASS(TVersionResource, TComponent) {
  // Stored only when it names another file than the program itself.
  p.String("FileName", &TVersionResource::FileName, &TVersionResource::SetFileName)
      .Default(platform::GetModuleFileName());
  p.Enum("Language", &TVersionResource::Language, &TVersionResource::SetLanguage)
      .Default(lnUSEnglish);
  p.Enum("CharacterSet", &TVersionResource::CharacterSet, &TVersionResource::SetCharacterSet)
      .Default(csMultilingual);
  p.Object("VersionInfo", &TVersionResource::VersionInfo);
}

}  // namespace vantorel
