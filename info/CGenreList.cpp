#include "info/CGenreList.h"

#include "tags/CGenreTable.h"

#include <algorithm>
#include <cctype>

std::vector<std::string> CGenreList::Sorted(bool withUnknown)
{
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < CGenreTable::kCount; ++i)
        names.emplace_back(CGenreTable::Name(i));
    if (withUnknown)
        names.emplace_back(kUnknown);
    std::stable_sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    });
    return names;
}
