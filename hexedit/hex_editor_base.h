#pragma once
// What the control shares with the number and translation helpers: the control's exception
// and the translation kinds. Until those helpers are in the tree a small stand-in is used.
#include "exceptions.h"

#if __has_include("orix_hex_error.h")
#include "orix_hex_error.h"
#else
class EOrixHexEditor : public Exception {
public:
    using Exception::Exception;
};
#endif

#if __has_include("translations.h")
#include "translations.h"
#define PYROLAN_HEX_TRANSLATIONS 1
#else
enum TOrixHTranslationKind { tkAsIs, tkDos8, tkASCII, tkMac, tkBCD, tkCustom };
#endif
