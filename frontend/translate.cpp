// Binding the game's text domain to the translations found from the executable.
#include "translate.h"

#include <sys/stat.h>

#include "install_dirs.h"

namespace frontend {

void bind_translations() {
    const std::string dir = installed_locale_dir();
    struct stat st;
    // Without our own folder the system's default one is searched, where a distribution puts it.
    if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) bindtextdomain(QUADRILLO_TEXT_DOMAIN, dir.c_str());
    bind_textdomain_codeset(QUADRILLO_TEXT_DOMAIN, "UTF-8");
}

}  // namespace frontend
