#pragma once
// The version resource of one file, as text, and the rule that decides whether a file about to
// be installed replaces one that already exists.
#include <memory>
#include <string>

#include "archive/archive_types.h"
#include "archive/date_time.h"
#include "framework/classes.h"
#include "framework/component.h"

namespace vantorel {

VANTOREL_ENUM(TLanguage, lnArabic, lnBulgarian, lnCatalan, lnTraditionalChinese, lnCzech, lnDanish,
              lnGerman, lnGreek, lnUSEnglish, lnCastilianSpanish, lnFinnish, lnFrench, lnHebrew,
              lnHungarian, lnIcelandic, lnItalian, lnJapanese, lnKorean, lnDutch, lnNorwegianBokmal,
              lnPolish, lnBrazilianPortuguese, lnRhaetoRomanic, lnRomanian, lnRussian,
              lnCroatoSerbian, lnSlovak, lnAlbanian, lnSwedish, lnThai, lnTurkish, lnUrdu, lnBahasa,
              lnSimplifiedChinese, lnSwissGerman, lnUKEnglish, lnMexicanSpanish, lnBelgianFrench,
              lnSwissItalian, lnBelgianDutch, lnNorwegianNynorsk, lnPortuguese, lnSerboCroatian,
              lnCanadianFrench, lnSwissFrench);

VANTOREL_ENUM(TCharacterSet, csASCII, csJapan, csKorea, csTaiwan, csUnicode, csLatin2, csCyrillic,
              csMultilingual, csGreek, csTurkish, csHebrew, csArabic);

// The Windows language identifier and code page of the string-table path.
uint16_t LanguageIdentifier(TLanguage language);
uint16_t CodePage(TCharacterSet character_set);

// What was read; every value is text and read-only outside the reader.
class TVersionInfo : public TPersistent {
 public:
  const std::string& Comment() const { return comment_; }
  const std::string& CompanyName() const { return company_name_; }
  const std::string& FileDescription() const { return file_description_; }
  const std::string& FileVersion() const { return file_version_; }
  const std::string& InternalName() const { return internal_name_; }
  const std::string& LegalCopyright() const { return legal_copyright_; }
  const std::string& LegalTradeMarks() const { return legal_trade_marks_; }
  const std::string& OriginalFileName() const { return original_file_name_; }
  const std::string& PrivateBuild() const { return private_build_; }
  const std::string& ProductName() const { return product_name_; }
  const std::string& ProductVersion() const { return product_version_; }
  const std::string& SpecialBuild() const { return special_build_; }
  const std::string& FileOS() const { return file_os_; }
  const std::string& FileType() const { return file_type_; }
  const std::string& FileSubType() const { return file_sub_type_; }

  void Assign(const TPersistent& source) override;

 private:
  friend class TVersionResource;
  void Clear();

  std::string comment_, company_name_, file_description_, file_version_, internal_name_,
      legal_copyright_, legal_trade_marks_, original_file_name_, private_build_, product_name_,
      product_version_, special_build_, file_os_, file_type_, file_sub_type_;
};

// Results of the overwrite decision.
enum : int {
  kNewerFailed = 0,     // the decision failed: callers raise an error
  kNewerEqual = 1,      // keep the existing file
  kNewerReplace = 2,    // the new file is newer, or the rule says always replace
  kNewerKeepNewer = 3,  // the existing file is newer, or (owNever) it exists
};

class TVersionResource : public TComponent {
 public:
  explicit TVersionResource(TComponent* owner);
  ~TVersionResource() override;

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& value);
  TLanguage Language() const { return language_; }
  void SetLanguage(TLanguage value);
  TCharacterSet CharacterSet() const { return character_set_; }
  void SetCharacterSet(TCharacterSet value);
  TVersionInfo* VersionInfo() const { return version_info_.get(); }
  // Whether FileName is stored with the component: only when it is not the program's own path.
  bool FileNameStored() const { return file_name_stored_; }

  // Reads the version resource of FileName again. A file without one, or a missing file, leaves
  // every value empty; that is not an error.
  void ReadVersionInfo();

  // 0 when the dotted versions are equal, 1 when `a` is newer, 2 when `b` is newer.
  static int CompareVersions(const std::string& a, const std::string& b);
  // The overwrite decision for a file known by its recorded version and date (an archive entry)
  // against the existing file `dest`.
  static int IsFileNewer(const std::string& stored_version, const std::string& dest,
                         TOverwriteType mode, TDateTime stored_date);
  // The same decision for a file on disk.
  static int IsFileNewerByName(const std::string& source, const std::string& dest,
                               TOverwriteType mode);

  // The one instance the whole program shares, made on first use.
  static TVersionResource& Shared();
  // The FileVersion of `path`, read through the shared instance.
  static std::string FileVersionOf(const std::string& path);

 private:
  std::string file_name_;
  TLanguage language_ = lnUSEnglish;
  TCharacterSet character_set_ = csMultilingual;
  bool file_name_stored_ = false;
  std::unique_ptr<TVersionInfo> version_info_;
};

}  // namespace vantorel
