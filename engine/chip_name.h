#pragma once
// How a chip record's name reads as the three chip lists' entries: kind, manufacturer and
// model. The lists, the chip search, the database editor and detection all read it this way,
// so that detection looks up the very texts the lists hold.
#include <string>

struct ChipNameFields {
    std::string Kind;
    std::string Maker;
    std::string Model;
};

// The delimited-text split (commas and blanks separate, double quotes group) of the name's
// bytes; fields 0, 1 and 2, each trimmed, still in the name's code page. Missing fields are
// empty.
ChipNameFields SplitChipName(const std::string& name);
