#include "release/gateway.h"

#include <map>

#include "base/ansi_text.h"

namespace release {

bool ParseGateway(const std::string& text, std::string& value, const std::string& key, std::string* chosenKey) {
    const std::string all = text + "\r\n";
    std::map<std::string, std::string> folders;
    for (size_t start = 0, end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = base::Trim(all.substr(start, end - start));
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            folders.emplace(std::string(), line);
        else
            folders.emplace(base::Trim(line.substr(0, equals)), base::Trim(line.substr(equals + 1)));
    }
    auto it = folders.find(key);
    if (it == folders.end()) it = folders.find(std::string());
    if (it == folders.end()) return false;
    if (chosenKey) *chosenKey = it->first;
    value = it->second;
    return true;
}

}  // namespace release
