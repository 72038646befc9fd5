#pragma once
// The genre names the information windows offer: the 148 names of the genre table, sorted as a sorted
// list box sorts them (ignoring case), with "<unknown>" for the MPEG window.

#include <string>
#include <vector>

class CGenreList {
public:
    static constexpr const char *kUnknown = "<unknown>";
    static std::vector<std::string> Sorted(bool withUnknown);
};
