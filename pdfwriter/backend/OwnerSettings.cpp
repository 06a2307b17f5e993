#include "OwnerSettings.h"

#include <strings.h>

#include <fstream>

OwnerSettings ReadOwnerSettings(const std::string& home) {
    OwnerSettings settings;
    std::ifstream file(home + "/.config/Vendrell PDF Writer/registry.ini");
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (strcasecmp(name.c_str(), "OutputFile") == 0) settings.outputFile = value;
        if (strcasecmp(name.c_str(), "BypassSaveAs") == 0) settings.bypassSaveAs = value;
    }
    return settings;
}
