// Manifest parsing with JsonCpp's Reader (comments allowed and collected). The reader signals
// some malformed input, such as nesting deeper than it allows, by throwing; that never leaves here.
// Large manifests in the plain form are scanned directly: building a JSON tree of 50,000 objects
// costs more than deleting the files does.
#include "app/Manifest.h"

#include <json/json.h>

namespace {

// A cursor over the plain form: [ {"name": "..."} , ... ] with JSON whitespace anywhere between
// tokens. Every method returns false at the first byte outside that form.
class PlainScanner
{
public:
    explicit PlainScanner(std::string_view text) : m_text(text) {}

    bool Scan(std::vector<std::string>& names)
    {
        bool listEnded = false;
        SkipSpace();
        if (!Take('['))
            return false;
        SkipSpace();
        if (!Take(']')) {
            for (;;) {
                std::string_view name;
                if (!Element(name))
                    return false;
                // The reader validates the whole text before any name counts, so the rest is
                // still scanned after the list has ended.
                if (name.empty())
                    listEnded = true;
                if (!listEnded)
                    names.emplace_back(name);
                SkipSpace();
                if (Take(']'))
                    break;
                if (!Take(','))
                    return false;
                SkipSpace();
            }
        }
        SkipSpace();
        return m_pos == m_text.size();
    }

private:
    bool Element(std::string_view& name)
    {
        std::string_view key;
        if (!Take('{'))
            return false;
        SkipSpace();
        if (!String(key) || key != "name")
            return false;
        SkipSpace();
        if (!Take(':'))
            return false;
        SkipSpace();
        if (!String(name))
            return false;
        SkipSpace();
        return Take('}');
    }

    bool String(std::string_view& value)
    {
        if (!Take('"'))
            return false;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size()) {
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                value = m_text.substr(start, m_pos - start);
                ++m_pos;
                return true;
            }
            if (c == '\\' || c < 0x20)
                return false;
            ++m_pos;
        }
        return false;
    }

    void SkipSpace()
    {
        while (m_pos < m_text.size() &&
               (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    bool Take(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The reader's way through the text; false when the text or an element is malformed.
bool ReadWithReader(std::string_view text, std::vector<std::string>& names)
{
    try {
        Json::Value root;
        Json::Reader reader;
        if (!reader.parse(std::string(text), root, true) || !root.isArray())
            return false;
        for (Json::ArrayIndex i = 0; i < root.size(); ++i) {
            const Json::Value& element = root[i];
            if (!element.isObject())
                return false;
            const Json::Value& name = element["name"];
            if (name.isArray() || name.isObject())
                return false;
            if (name.isNull())
                break;
            std::string value = name.asString();
            if (value.empty())
                break;
            names.push_back(std::move(value));
        }
    } catch (const std::exception&) {
        // A reader that gives up lists nothing.
        names.clear();
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> ReadManifestNames(std::string_view text)
{
    std::vector<std::string> names;
    ParseManifestNames(text, names);
    return names;
}

bool ParseManifestNames(std::string_view text, std::vector<std::string>& names)
{
    names.clear();
    if (PlainScanner(text).Scan(names))
        return true;
    names.clear();
    return ReadWithReader(text, names);
}

std::vector<std::string> ReadManifestNamesWithReader(std::string_view text)
{
    std::vector<std::string> names;
    ReadWithReader(text, names);
    return names;
}
