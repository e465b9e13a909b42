#include "tools/release_list/gateway_text.h"

#include <algorithm>

#include "base/ansi_text.h"
#include "release/list_text.h"
#include "tools/release_list/release_error.h"
#include "release/staging_layout.h"

namespace release_list {
namespace {

const char kLineEnd[] = "\r\n";

// The key a line assigns, as the updater reads it; plain lines have the empty key.
std::string LineKey(const std::string& line) {
    const size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : base::Trim(line.substr(0, equals));
}

std::string GatewayLine(const std::string& key, const std::string& version) {
    return key.empty() ? version : key + "=" + version;
}

bool HasLoneLineBreak(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return true;
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return true;
    }
    return false;
}

}  // namespace

std::string UpdateGatewayText(const std::string& existing, const base::StringList& keys, const std::string& version) {
    if (HasLoneLineBreak(existing))
        throw ReleaseListError(std::string("the existing ") + release::kGatewayFileName +
                               " has line breaks other than CR LF, which the updater would read as one line; "
                               "fix or remove it first");
    base::StringList lines;
    base::SplitString(existing, kLineEnd, lines);
    base::StringList written;
    std::string text;
    for (const std::string& line : lines) {
        if (base::Trim(line).empty()) continue;
        const std::string key = LineKey(line);
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            text += line + kLineEnd;
        } else if (std::find(written.begin(), written.end(), key) == written.end()) {
            text += GatewayLine(key, version) + kLineEnd;
            written.push_back(key);
        }
    }
    for (const std::string& key : keys) {
        if (std::find(written.begin(), written.end(), key) != written.end()) continue;
        text += GatewayLine(key, version) + kLineEnd;
        written.push_back(key);
    }
    return text;
}

}  // namespace release_list
