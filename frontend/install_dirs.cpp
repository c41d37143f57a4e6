// The installed layout, found from the executable's own folder so any install prefix works.
#include "install_dirs.h"

#include <unistd.h>

#include <climits>

namespace frontend {

std::string executable_dir() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    buf[n] = 0;
    std::string path(buf);
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string installed_library_dir() { return executable_dir() + "/" QUADRILLO_REL_PKGLIBDIR; }
std::string installed_data_dir() { return executable_dir() + "/" QUADRILLO_REL_PKGDATADIR; }
std::string installed_locale_dir() { return executable_dir() + "/" QUADRILLO_REL_LOCALEDIR; }

}  // namespace frontend
