// regtool: the registry store's command-line tool for administrators and tests, in the manner of
// Windows' reg.exe. The database is the one TVU_REGISTRY names, as for every other program.
//
//   regtool query  KEY [/v NAME | /ve] [/s] [/reg:64]
//   regtool add    KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f] [/reg:64]
//   regtool delete KEY [/v NAME | /ve] [/f] [/reg:64]
#include "platform/Registry.h"
#include "platform/TextEncoding.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Options
{
    std::string command;
    HKEY root = 0;
    std::u16string rootName;
    std::u16string subKey;
    std::optional<std::u16string> valueName;
    std::string type = "REG_SZ";
    std::optional<std::string> data;
    bool recursive = false;
    DWORD view = 0;
};

int Fail(const std::string& message)
{
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return 1;
}

void Usage(FILE* out)
{
    std::fputs("Usage:\n"
               "  regtool query  KEY [/v NAME | /ve] [/s] [/reg:64]\n"
               "  regtool add    KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f] [/reg:64]\n"
               "  regtool delete KEY [/v NAME | /ve] [/f] [/reg:64]\n"
               "KEY is ROOT\\Subkey\\... with ROOT one of HKLM, HKCU, HKCR.\n"
               "The database is $TVU_REGISTRY, else the default store (see docs/registry.md).\n",
               out);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Returns an error message, or an empty string when the arguments are usable.
std::string ParseArguments(int argc, char** argv, Options& options)
{
    if (argc < 3)
        return "missing command or key (try regtool /?)";
    options.command = argv[1];
    for (char& c : options.command)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (options.command != "query" && options.command != "add" && options.command != "delete")
        return "unknown command \"" + std::string(argv[1]) + "\" (expected query, add or delete)";

    const std::u16string key = platform::Utf8ToUtf16(argv[2]);
    const std::size_t slash = key.find(u'\\');
    options.rootName = key.substr(0, slash);
    options.root = platform::RegistryRootFromName(options.rootName);
    if (options.root == 0)
        return "invalid key name \"" + std::string(argv[2]) + "\" (it must start with HKLM, HKCU or HKCR)";
    if (slash != std::u16string::npos)
        options.subKey = key.substr(slash + 1);

    for (int i = 3; i < argc; ++i) {
        const char* a = argv[i];
        const bool hasNext = i + 1 < argc;
        if (EqualsIgnoringCase(a, "/v") && hasNext) {
            options.valueName = platform::Utf8ToUtf16(argv[++i]);
        } else if (EqualsIgnoringCase(a, "/ve")) {
            options.valueName = std::u16string();
        } else if (EqualsIgnoringCase(a, "/t") && hasNext) {
            options.type = argv[++i];
            for (char& c : options.type)
                c = char(std::toupper(static_cast<unsigned char>(c)));
        } else if (EqualsIgnoringCase(a, "/d") && hasNext) {
            options.data = argv[++i];
        } else if (EqualsIgnoringCase(a, "/s")) {
            options.recursive = true;
        } else if (EqualsIgnoringCase(a, "/f")) {
            // Nothing is ever asked, so forcing changes nothing.
        } else if (EqualsIgnoringCase(a, "/reg:64")) {
            options.view = KEY_WOW64_64KEY;
        } else if (EqualsIgnoringCase(a, "/reg:32")) {
            options.view = 0;
        } else {
            return "invalid argument \"" + std::string(a) + "\"";
        }
    }
    if (options.command == "add" && options.type != "REG_SZ" && options.type != "REG_DWORD")
        return "unsupported type " + options.type + " (expected REG_SZ or REG_DWORD)";
    if ((options.data || options.type != "REG_SZ") && !options.valueName && options.command == "add")
        options.valueName = std::u16string(); // /t or /d without /v sets the default value, as reg.exe does
    return {};
}

std::string ValueText(const platform::RegistryValue& value)
{
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
            const char16_t c = char16_t(value.data[i] | value.data[i + 1] << 8);
            if (c == 0)
                break;
            text.push_back(c);
        }
        return platform::Utf16ToUtf8(text);
    }
    case REG_DWORD: {
        DWORD v = 0;
        for (std::size_t i = 0; i < 4 && i < value.data.size(); ++i)
            v |= DWORD(value.data[i]) << (8 * i);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%x", v);
        return buffer;
    }
    default: {
        std::string hex;
        char buffer[3];
        for (std::uint8_t b : value.data) {
            std::snprintf(buffer, sizeof buffer, "%02X", b);
            hex += buffer;
        }
        return hex;
    }
    }
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    default:
        return "REG_NONE";
    }
}

std::string FullKeyName(const Options& options, const std::u16string& subKey)
{
    std::u16string name = platform::RegistryRootName(options.root);
    if (!subKey.empty())
        name += u"\\" + subKey;
    return platform::Utf16ToUtf8(name);
}

void PrintValue(const platform::RegistryValue& value)
{
    const std::string name = value.name.empty() ? "(Default)" : platform::Utf16ToUtf8(value.name);
    std::printf("    %s    %s    %s\n", name.c_str(), TypeName(value.type), ValueText(value).c_str());
}

int Query(platform::RegistryStore& store, const Options& options, const std::u16string& subKey, bool nested)
{
    platform::RegistryKey key;
    const DWORD rc = store.OpenKey(options.root, subKey, KEY_READ | options.view, key);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_FILE_NOT_FOUND ? Fail("The system was unable to find the specified registry key or value.")
                                          : Fail("Cannot read the registry store (error " + std::to_string(rc) + ").");
    std::vector<platform::RegistryValue> values;
    if (DWORD e = store.EnumValues(key, values); e != ERROR_SUCCESS)
        return Fail("Cannot read the registry store (error " + std::to_string(e) + ").");

    if (options.valueName) {
        for (const platform::RegistryValue& value : values) {
            if (EqualsIgnoringCase(platform::Utf16ToUtf8(value.name), platform::Utf16ToUtf8(*options.valueName))) {
                std::printf("%s\n", FullKeyName(options, key.Path()).c_str());
                PrintValue(value);
                return 0;
            }
        }
        return Fail("The system was unable to find the specified registry key or value.");
    }

    std::printf("%s%s\n", nested ? "\n" : "", FullKeyName(options, key.Path()).c_str());
    for (const platform::RegistryValue& value : values)
        PrintValue(value);
    std::vector<std::u16string> subKeys;
    store.EnumSubKeys(key, subKeys);
    const std::u16string prefix = key.Path().empty() ? std::u16string() : key.Path() + u"\\";
    if (options.recursive) {
        for (const std::u16string& child : subKeys) {
            if (int r = Query(store, options, prefix + child, true); r != 0)
                return r;
        }
    } else {
        if (!subKeys.empty())
            std::printf("\n");
        for (const std::u16string& child : subKeys)
            std::printf("%s\n", FullKeyName(options, prefix + child).c_str());
    }
    return 0;
}

int Add(platform::RegistryStore& store, const Options& options)
{
    platform::RegistryKey key;
    DWORD rc = store.CreateKey(options.root, options.subKey, KEY_ALL_ACCESS | options.view, key);
    if (rc == ERROR_SUCCESS && options.valueName) {
        const std::string data = options.data.value_or("");
        if (options.type == "REG_DWORD") {
            char* end = nullptr;
            errno = 0;
            const unsigned long long v = std::strtoull(data.c_str(), &end, 0);
            if (data.empty() || *end != 0 || errno != 0 || v > 0xFFFFFFFFull || data.front() == '-')
                return Fail("Invalid REG_DWORD data \"" + data + "\" (expected 0 to 4294967295, decimal or 0x hex).");
            rc = store.SetDword(key, *options.valueName, DWORD(v));
        } else {
            rc = store.SetString(key, *options.valueName, platform::Utf8ToUtf16(data));
        }
    }
    if (rc != ERROR_SUCCESS)
        return Fail("Cannot write to the registry store " + store.Location() + " (error " + std::to_string(rc) + ").");
    std::printf("The operation completed successfully.\n");
    return 0;
}

int Delete(platform::RegistryStore& store, const Options& options)
{
    DWORD rc;
    if (options.valueName) {
        platform::RegistryKey key;
        rc = store.OpenKey(options.root, options.subKey, KEY_ALL_ACCESS | options.view, key);
        if (rc == ERROR_SUCCESS)
            rc = store.DeleteValue(key, *options.valueName);
    } else {
        if (options.subKey.empty())
            return Fail("A root key cannot be deleted.");
        rc = store.DeleteTree(options.root, options.subKey, options.view);
    }
    if (rc == ERROR_FILE_NOT_FOUND)
        return Fail("The system was unable to find the specified registry key or value.");
    if (rc != ERROR_SUCCESS)
        return Fail("Cannot delete from the registry store (error " + std::to_string(rc) + ").");
    std::printf("The operation completed successfully.\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 &&
        (std::strcmp(argv[1], "/?") == 0 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    Options options;
    if (const std::string error = ParseArguments(argc, argv, options); !error.empty()) {
        Fail(error);
        Usage(stderr);
        return 1;
    }
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    // Root's uninstaller refuses such a store; say so before anything is written to it.
    if (std::u16string why; !platform::RegistryStoreIsTrusted(store.Location(), why))
        std::fprintf(stderr, "WARNING: the registry store %s can be changed by a user other than root (%s)\n",
                     store.Location().c_str(), platform::Utf16ToUtf8(why).c_str());
    if (options.command == "query")
        return Query(store, options, options.subKey, false);
    if (options.command == "add")
        return Add(store, options);
    return Delete(store, options);
}
