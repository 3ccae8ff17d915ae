#pragma once
// The class library's delimited-text rule (a string list's DelimitedText): items end at the
// delimiter and at every character up to blank; an item that begins with a double quote runs
// to the closing quote, with doubled quotes standing for one.
#include <string>
#include <vector>

std::vector<std::string> SplitDelimitedText(const std::string& text, char delimiter = ',',
                                            char quote = '"');
