#pragma once
// Nibble shifting over a buffer, and the temporary file that can hold a shifted copy. The high
// nibble of a byte comes before its low nibble; shifting right by one nibble moves every nibble
// one place towards the end.
#include "streams.h"

#include <cstdint>
#include <memory>
#include <string>

// In place: byte k becomes (low nibble of byte k - 1) x 16 + (high nibble of byte k), with a
// zero nibble before the first byte; the low nibble of the last byte drops out.
void NibbleShiftRight(uint8_t* bytes, int64_t count);
// In place, the other way: each of the first count - 1 bytes takes the low nibble of itself
// and the high nibble of the byte after it; the last byte is left as it was.
void NibbleShiftLeft(uint8_t* bytes, int64_t count);
// What NibbleShiftRight gives, written to dest in 512-byte steps instead of in place.
void WriteNibbleShifted(const uint8_t* bytes, int64_t count, TStream& dest);

// The folder for temporary files: TMPDIR, else /tmp; blanks trimmed, a path delimiter at the end.
std::string OrixHTempPath();
// Milliseconds since the system started, in 32 bits (it wraps after 49 days).
uint32_t OrixHTickCount();
// folder + 8 upper-case hex digits of tick + ".OrixHT".
std::string OrixHTempFileName(const std::string& folder, uint32_t tick);
// A name of that form in the temporary folder that no file has at the moment of the test.
// Gives up with EFCreateError after a bounded number of names.
std::string OrixHFreeTempName();
// A new temporary file, created exclusively (an existing name, also a link placed under it,
// is never opened) and readable by its owner alone; its name goes to fileName. Names are
// tried a bounded number of times; then, or when the folder refuses the file, EFCreateError.
std::unique_ptr<TFileStream> CreateOrixHTempFile(std::string& fileName);
