#include "settings/settings_limits.h"

namespace settings_limits {

bool breaksCommandLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

}  // namespace settings_limits
