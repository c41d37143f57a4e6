// Where the installed programs find their library, data and translations, relative to themselves.
#pragma once

#include <string>

namespace frontend {

// The folder of the running executable ("." when it cannot be told).
std::string executable_dir();

// The installed layout seen from the executable: the private folder of libquorvel.so, the folder
// with group_maps/ and help/, and the translations. Each is the path whether or not it exists.
std::string installed_library_dir();
std::string installed_data_dir();
std::string installed_locale_dir();

}  // namespace frontend
