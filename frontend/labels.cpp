// The names of techniques and difficulties.
#include "labels.h"

#include <cstdlib>
#include <cstring>

#include "ffi/techniques.h"

namespace frontend {

using techniques::kLadderLevels;

int ladder_method(int level) {
    const techniques::Technique* t = techniques::technique_at(level);
    return t ? t->number : 0;
}

int parse_technique(const char* text) {
    const techniques::Technique* t = techniques::technique_named(text);
    if (t && t->ladder >= 0 && t->ladder < kLadderLevels) return t->number;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    const int search = techniques::technique_at(kLadderLevels)->number;
    return end != text && *end == 0 && v >= 0 && v <= search ? static_cast<int>(v) : -1;
}

const char* technique_name(int method) {
    for (int level = 0; level <= kLadderLevels; ++level)
        if (techniques::technique_at(level)->number == method) return techniques::technique_at(level)->name;
    return "technique";
}

std::string technique_title(int method) {
    const char* title = techniques::technique_title(method);
    return *title ? title : "Technique " + std::to_string(method);
}

std::string bucket_title(const char* word) {
    std::string s = word && *word ? word : "custom";
    for (char& c : s)
        if (c == '_') c = ' ';
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

}  // namespace frontend
