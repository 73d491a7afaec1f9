// Manifest parsing with JsonCpp's Reader (comments allowed and collected). The reader signals
// some malformed input, such as nesting deeper than it allows, by throwing; that never leaves here.
#include "app/Manifest.h"

#include <json/json.h>

std::vector<std::string> ReadManifestNames(std::string_view text)
{
    std::vector<std::string> names;
    try {
        Json::Value root;
        Json::Reader reader;
        if (!reader.parse(std::string(text), root, true) || !root.isArray())
            return names;
        for (Json::ArrayIndex i = 0; i < root.size(); ++i) {
            const Json::Value& element = root[i];
            if (!element.isObject())
                break;
            const Json::Value& name = element["name"];
            if (name.isNull() || name.isArray() || name.isObject())
                break;
            std::string value = name.asString();
            if (value.empty())
                break;
            names.push_back(std::move(value));
        }
    } catch (const std::exception&) {
        // Whatever was read before the reader gave up stays listed.
    }
    return names;
}
