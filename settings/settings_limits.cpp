#include "settings/settings_limits.h"

namespace settings::limits {

bool breaksCommandLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace settings::limits
