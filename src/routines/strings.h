#pragma once
// Path and string routines. None of them fails.
#include <string>
#include <vector>

namespace vantorel {

// `s` with "\" appended unless it is empty or already ends with one.
std::string AddBackslash(const std::string& s);
// `s` without one trailing "\".
std::string RemoveBackslash(const std::string& s);
// Number of `sep`-separated fields; a trailing separator does not open an empty last field.
int FieldCount(const std::string& s, char sep);
// Field `n` (from 1); empty when `s` has fewer than n-1 separators.
std::string Field(const std::string& s, int n, char sep);
// Every field of `s`, in order.
std::vector<std::string> SplitFields(const std::string& s, char sep);
// The text after the first ":"; `out` is left unchanged when `s` has none.
void AfterColon(const std::string& s, std::string& out);
// Maps "/" to "-" and drops the characters that a file name may not hold.
std::string CleanFileName(const std::string& s);

// A decimal integer (blanks around it allowed, an optional "-"), as the registry or a file holds
// it. False, with `value` unchanged, for anything else and for a number outside int's range.
bool TryStrToInt(const std::string& s, int& value);

// Helpers the engine uses throughout (ASCII case rules, as the ANSI routines of the platform).
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);
std::string Trim(const std::string& s);
// The parts of a Windows path ("C:\dir\name.ext"): directory without trailing "\", name with
// extension, extension with its dot.
std::string ExtractFileDir(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with trailing "\"
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace vantorel
