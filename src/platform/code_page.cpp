#include "platform/code_page.h"

namespace vantorel::platform {

unsigned CharsetCodePage(int charset) {
  switch (charset) {
    case 0:
      return 1252;  // ANSI
    case 128:
      return 932;  // Shift-JIS
    case 129:
      return 949;  // Hangeul
    case 134:
      return 936;  // GB2312
    case 136:
      return 950;  // Big5
    case 161:
      return 1253;  // Greek
    case 162:
      return 1254;  // Turkish
    case 163:
      return 1258;  // Vietnamese
    case 177:
      return 1255;  // Hebrew
    case 178:
      return 1256;  // Arabic
    case 186:
      return 1257;  // Baltic
    case 204:
      return 1251;  // Russian
    case 222:
      return 874;  // Thai
    case 238:
      return 1250;  // East European
    default:
      return 0;
  }
}

}  // namespace vantorel::platform
