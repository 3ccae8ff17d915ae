#pragma once
// Searching a buffer for a byte pattern through a 256-byte map that every data byte passes
// before it is compared (the identity, or a case fold), with an optional wildcard byte in the
// pattern that matches any data byte.
#include "translations.h"

#include <array>
#include <cstdint>

using TOrixHFindTable = std::array<uint8_t, 256>;

// Every byte to itself.
TOrixHFindTable FindTableIdentity();
// Every data byte to the data byte of its lower-case character under kind: to ANSI, lowered
// as one ANSI character, back into the data encoding (tkAsIs skips both translations).
TOrixHFindTable FindTableFolded(TOrixHTranslationKind kind);

// No wildcard in the pattern.
constexpr int kNoWildcard = -1;

// The lowest position s >= from at which the n pattern bytes match the data and s + n - 1 is
// at most last; -1 when there is none. A pattern byte equal to wildcard (a byte value, or
// kNoWildcard) matches any data byte; every other pattern byte p matches the data byte b when
// table[b] == p. The caller ensures 0 <= from and last < the buffer's length.
int64_t FindBytes(const uint8_t* data, int64_t from, int64_t last, const uint8_t* pattern,
                  int64_t n, const TOrixHFindTable& table, int wildcard);
