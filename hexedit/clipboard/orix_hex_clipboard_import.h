#pragma once
// The import side of the clipboard, below the control: the accepted formats in priority order,
// the choice among several offered ones, hex text and file lists turned into bytes.
#include "orix_hex_clipboard_formats.h"

#include <QMimeData>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

// Where imported data comes from. It is asked again after anything that runs an event loop
// (the format chooser), since the data it gave before may be gone by then.
using TOrixHMimeSource = std::function<const QMimeData*()>;

// What an import is for: a drop on the control or a paste from the clipboard.
enum TOrixHOLEOperation : uint8_t { oleDrop = 0, oleClipboard = 1 };

// The accepted formats, most wanted first: the own block and file lists, and with
// supportsOther every further format the control can turn into bytes.
TClipFormats OrixHClipFormats(bool supportsOther);

// The first format of the list that the data offers.
bool OLEHasSupportedFormat(const QMimeData* data, const TClipFormats& formats, TClipFormat& format);

// Keeps, in list order, the formats the data offers: none gives False, one is taken, several
// go to the format chooser. The chooser runs an event loop: the data must be fetched again
// afterwards.
bool OLESelectFormat(const TClipFormats& formats, const QMimeData* data, TClipFormat& format,
                     bool& hexText);

// Hex digits to bytes; other characters are skipped, a lone last digit is dropped.
std::string HexTextToBytes(const std::string& text, bool swapNibbles);

// A file list as bytes: with asNames every name followed by a NUL, otherwise the first file's
// contents. A name holding a NUL, a file that cannot be opened or is no plain file raise the open
// error; a file of more than room bytes (and at most 2147483647, what the control's data can be)
// raises EOrixHexEditor before it is read, and one that shrinks while it is read the read error.
std::string FileListToBytes(const std::vector<std::string>& files, bool asNames,
                            int64_t room = std::numeric_limits<int32_t>::max());
