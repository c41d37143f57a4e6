// Preferences to and from their text form.
#include "settings.h"

#include <sstream>

namespace game {

std::string Settings::encode() const {
    std::ostringstream out;
    out << "look=" << (look == LookChoice::Light ? "light" : look == LookChoice::Dark ? "dark" : "follow") << '\n'
        << "sounds=" << sounds << '\n'
        << "check=" << check << '\n'
        << "highlight=" << highlight << '\n'
        << "map=" << map_kind << '\n'
        << "adjacency=" << adjacency << '\n'
        << "bucket=" << bucket << '\n';
    return out.str();
}

Settings Settings::decode(const std::string& text) {
    Settings s;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        const bool flag = value == "1";
        int number = -1;
        if (value.size() == 1 && value[0] >= '0' && value[0] <= '9') number = value[0] - '0';
        if (key == "look")
            s.look = value == "light" ? LookChoice::Light : value == "dark" ? LookChoice::Dark : LookChoice::Follow;
        else if (key == "sounds")
            s.sounds = flag;
        else if (key == "check")
            s.check = flag;
        else if (key == "highlight")
            s.highlight = flag;
        else if (key == "map" && (number == 0 || number == 1))
            s.map_kind = number;
        else if (key == "adjacency" && (number == 0 || number == 1))
            s.adjacency = number;
        else if (key == "bucket" && number >= 0)
            s.bucket = number;
    }
    return s;
}

}  // namespace game
