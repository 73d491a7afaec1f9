// CSkinChecker: the walk over a skin's markup, with the same element rules as the builder, and the
// strict reading of every value in the form the control reads it in.
#include "tools/skintool/SkinChecker.h"

#include "platform/TextEncoding.h"
#include "ui/builder/ControlFactory.h"
#include "ui/builder/SkinBuilder.h"
#include "ui/controls/Control.h"
#include "ui/core/ValueParse.h"
#include "ui/manager/WindowManager.h"
#include "ui/render/RenderKit.h"
#include "ui/skin/MarkupChars.h"
#include "ui/skin/MarkupDecoder.h"
#include "ui/skin/XmlDocument.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string_view>

namespace skintool {

namespace markup = ui::markup;
using markup::ValueForm;

namespace {

std::string Narrow(std::u16string_view text)
{
    return platform::Utf16ToUtf8(text);
}

std::string Quoted(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    out += Narrow(text);
    out += '\'';
    return out;
}

// "<Name>", for messages about an element.
std::string Tag(std::u16string_view name)
{
    std::string out = "<";
    out += Narrow(name);
    out += '>';
    return out;
}

bool NameIs(const char16_t* name, const char16_t* expected)
{
    return markup::TextEqualsNoCase(name, expected);
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix)
{
    if (text.size() < suffix.size()) {
        return false;
    }
    const std::u16string tail(text.substr(text.size() - suffix.size()));
    return markup::TextEqualsNoCase(tail.c_str(), std::u16string(suffix).c_str());
}

// Skins are UTF-8; a UTF-16 byte-order mark selects UTF-16.
ui::MarkupEncoding EncodingOf(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        return ui::MarkupEncoding::Utf16;
    }
    return ui::MarkupEncoding::Utf8;
}

// Deletes a control the checker created for asking it about attributes.
struct TControlDeleter
{
    void operator()(ui::CControlUI* control) const { control->DeleteSelf(); }
};
using ControlPtr = std::unique_ptr<ui::CControlUI, TControlDeleter>;

// Remembers the first read of the attribute's own value while the control applies it.
class CFormRecorder final : public markup::IValueFormObserver
{
public:
    explicit CFormRecorder(const char16_t* value) : m_value(value), m_previous(markup::ObserveValueForms(this)) {}
    ~CFormRecorder() { markup::ObserveValueForms(m_previous); }
    CFormRecorder(const CFormRecorder&) = delete;
    CFormRecorder& operator=(const CFormRecorder&) = delete;

    void OnValueRead(ValueForm form, const char16_t* text, int count) override
    {
        if (!seen && text != nullptr && markup::TextEquals(text, m_value)) {
            seen = true;
            this->form = form;
            this->count = count;
        }
    }

    bool seen = false;
    ValueForm form = ValueForm::Integer;
    int count = 1;

private:
    const char16_t* m_value;
    markup::IValueFormObserver* m_previous;
};

bool IsSpace(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsHex(char16_t c)
{
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// One decimal integer (leading blanks and a sign allowed); p moves past it. False without digits.
bool ReadInteger(const char16_t*& p)
{
    while (IsSpace(*p)) {
        ++p;
    }
    if (*p == u'+' || *p == u'-') {
        ++p;
    }
    if (!IsDigit(*p)) {
        return false;
    }
    while (IsDigit(*p)) {
        ++p;
    }
    return true;
}

bool ReadReal(const char16_t*& p)
{
    while (IsSpace(*p)) {
        ++p;
    }
    if (*p == u'+' || *p == u'-') {
        ++p;
    }
    bool digits = false;
    while (IsDigit(*p)) {
        ++p;
        digits = true;
    }
    if (*p == u'.') {
        ++p;
        while (IsDigit(*p)) {
            ++p;
            digits = true;
        }
    }
    if (digits && (*p == u'e' || *p == u'E')) {
        const char16_t* q = p + 1;
        if (ReadInteger(q)) {
            p = q;
        }
    }
    return digits;
}

std::string_view FormName(ValueForm form)
{
    switch (form) {
    case ValueForm::Integer:
        return "a whole number";
    case ValueForm::Real:
        return "a number";
    case ValueForm::IntegerList:
        return "a list of whole numbers";
    case ValueForm::RealList:
        return "a list of numbers";
    case ValueForm::Color:
        return "a colour";
    case ValueForm::Boolean:
    case ValueForm::BooleanNoCase:
        return "true or false";
    }
    return "";
}

// Levenshtein distance, for "did you mean" suggestions.
int Distance(std::u16string_view a, std::u16string_view b)
{
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = int(j);
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            const bool same = (a[i - 1] | 0x20) == (b[j - 1] | 0x20);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The attributes the definition elements read (the builder's definition pass).
struct TDefinitionRule
{
    const char16_t* element;
    std::u16string_view attributes[10];
};

constexpr TDefinitionRule kDefinitions[] = {
    {u"Image", {u"name", u"restype", u"mask", u"shared"}},
    {u"Font", {u"id", u"name", u"size", u"bold", u"underline", u"italic", u"strikeout", u"default", u"shared"}},
    {u"Default", {u"name", u"value", u"shared"}},
    {u"MultiLanguage", {u"id", u"value"}},
    {u"Include", {u"source", u"count"}},
};

const TDefinitionRule* DefinitionRule(const char16_t* element)
{
    for (const TDefinitionRule& rule : kDefinitions) {
        if (NameIs(element, rule.element)) {
            return &rule;
        }
    }
    return nullptr;
}

bool IsDefinition(const char16_t* name)
{
    return NameIs(name, u"Image") || NameIs(name, u"Font") || NameIs(name, u"Default") ||
           NameIs(name, u"MultiLanguage");
}

} // namespace

struct CSkinChecker::TFile
{
    std::string name;
    std::u16string text; // the decoded markup before the parser wrote into its copy
    std::vector<std::uint32_t> lineStarts;
    ui::CXmlDocument document;

    void Locate(std::uint32_t offset, int& line, int& column) const
    {
        const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
        line = int(next - lineStarts.begin());
        column = int(offset - *(next - 1)) + 1;
    }
};

std::string FormatDiagnostic(const TDiagnostic& d)
{
    static constexpr std::string_view kSeverity[] = {"note", "warning", "error"};
    std::string out = d.file + ":";
    if (d.line > 0) {
        out += std::to_string(d.line) + ":" + std::to_string(d.column) + ":";
    }
    out += " ";
    out += kSeverity[int(d.severity)];
    out += ": " + d.message;
    return out;
}

int CSkinChecker::Count(Severity severity) const
{
    return int(std::count_if(m_diagnostics.begin(), m_diagnostics.end(),
                             [severity](const TDiagnostic& d) { return d.severity == severity; }));
}

void CSkinChecker::Report(const TFile& file, std::uint32_t offset, Severity severity, std::string message)
{
    TDiagnostic d;
    d.file = file.name;
    file.Locate(offset, d.line, d.column);
    d.severity = severity;
    d.message = std::move(message);
    m_diagnostics.push_back(std::move(d));
}

bool CSkinChecker::Check(const std::u16string& fileName)
{
    m_diagnostics.clear();
    m_fonts.clear();
    m_included.clear();
    m_elementCount = 0;
    return CheckFile(fileName, nullptr, 0, 0);
}

bool CSkinChecker::SkinFileExists(const std::u16string& name) const
{
    std::vector<std::uint8_t> bytes;
    return m_source.ReadFile(name.c_str(), ui::CXmlDocument::kMaxFileSize * 16, bytes) == ui::SkinReadResult::Ok;
}

bool CSkinChecker::CheckFile(const std::u16string& fileName, const TFile* includer, std::uint32_t includeOffset,
                             int depth)
{
    auto file = std::make_unique<TFile>();
    file->name = Narrow(fileName);
    std::vector<std::uint8_t> bytes;
    const ui::SkinReadResult read = m_source.ReadFile(fileName.c_str(), ui::CXmlDocument::kMaxFileSize, bytes);
    if (read != ui::SkinReadResult::Ok) {
        // The loader's own message for the failure: it reads the file the same way.
        file->document.LoadFile(m_source, fileName.c_str());
        const std::string message = Narrow(file->document.GetErrorMessage());
        if (includer != nullptr) {
            Report(*includer, includeOffset, Severity::Error,
                   "included file " + Quoted(fileName) + " does not load: " + message);
        } else {
            m_diagnostics.push_back({file->name, 0, 0, Severity::Error, message});
        }
        return false;
    }
    const ui::TDecodedText decoded = ui::DecodeMarkup(bytes.data(), bytes.size(), EncodingOf(bytes));
    if (decoded.text) {
        file->text = decoded.text.get();
    }
    file->lineStarts.push_back(0);
    for (std::size_t i = 0; i < file->text.size(); ++i) {
        if (file->text[i] == u'\n') {
            file->lineStarts.push_back(std::uint32_t(i + 1));
        }
    }
    ui::CXmlDocument& doc = file->document;
    if (!doc.LoadBytes(bytes.data(), bytes.size(), EncodingOf(bytes))) {
        // The parser's own message and the text it stopped at, at the place it stopped.
        std::string message = Narrow(doc.GetErrorMessage());
        if (doc.GetErrorLocation()[0] != 0) {
            message += " at \"";
            for (const char c : Narrow(doc.GetErrorLocation())) {
                message += c == '\n' ? std::string("\\n") : c == '\r' ? "\\r" : c == '\t' ? "\\t" : std::string(1, c);
            }
            message += '"';
        }
        if (doc.GetErrorOffset() < 0) {
            m_diagnostics.push_back({file->name, 0, 0, Severity::Error, message});
            return false;
        }
        Report(*file, std::uint32_t(doc.GetErrorOffset()), Severity::Error, message);
        if (const std::int64_t open = doc.GetErrorElementOffset(); open >= 0) {
            std::u16string name;
            for (std::size_t i = std::size_t(open); i < file->text.size() && ui::markup::IsNameChar(file->text[i]);
                 ++i) {
                name += file->text[i];
            }
            Report(*file, std::uint32_t(open - 1), Severity::Note,
                   "the end tag should close " + Tag(name) + " opened here; is it missing its \"/>\" or end tag?");
        }
        return false;
    }
    if (includer == nullptr) {
        m_elementCount = doc.GetElementCount();
    }
    const ui::CXmlNode root = doc.Root();
    if (!root.IsValid()) {
        return true;
    }
    m_included.insert(fileName);
    RegisterDefinitions(*file, root);
    if (NameIs(root.Name(), u"Window")) {
        CheckWindow(*file, root);
    }
    CheckChildren(*file, root, depth);
    m_included.erase(fileName);
    return true;
}

void CSkinChecker::RegisterDefinitions(TFile& file, const ui::CXmlNode& root)
{
    for (ui::CXmlNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        if (NameIs(node.Name(), u"Font")) {
            const char16_t* id = node.AttributeValue(u"id");
            if (node.HasAttribute(u"id") && node.HasAttribute(u"name") && markup::ParseInt(id) >= 0) {
                m_fonts.insert(markup::ParseInt(id));
            }
        }
        if (IsDefinition(node.Name())) {
            CheckDefinition(file, node);
        }
    }
}

void CSkinChecker::CheckDefinition(TFile& file, const ui::CXmlNode& node)
{
    const char16_t* element = node.Name();
    const TDefinitionRule* rule = DefinitionRule(element);
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const std::u16string_view name = node.AttributeName(i);
        if (std::find(std::begin(rule->attributes), std::end(rule->attributes), name) == std::end(rule->attributes)) {
            Report(file, node.AttributeNameOffset(i), Severity::Warning,
                   Tag(rule->element) + " has no attribute " + Quoted(name) + "; it is ignored");
        }
    }
    const auto require = [&](const char16_t* attribute) {
        if (!node.HasAttribute(attribute)) {
            Report(file, node.NameOffset() - 1, Severity::Error,
                   Tag(rule->element) + " without " + Quoted(attribute) + " is ignored");
            return false;
        }
        return true;
    };
    const auto attributeOffset = [&](const char16_t* attribute) {
        for (int i = 0; i < node.AttributeCount(); ++i) {
            if (markup::TextEquals(node.AttributeName(i), attribute)) {
                return node.AttributeValueOffset(i);
            }
        }
        return node.NameOffset();
    };
    if (NameIs(element, u"Image")) {
        if (require(u"name") && !node.HasAttribute(u"restype") && !SkinFileExists(node.AttributeValue(u"name"))) {
            Report(file, attributeOffset(u"name"), Severity::Error,
                   "image " + Quoted(node.AttributeValue(u"name")) + " is not in the skin");
        }
    } else if (NameIs(element, u"Font")) {
        if (require(u"id") && require(u"name")) {
            const char16_t* id = node.AttributeValue(u"id");
            const char16_t* p = id;
            if (!ReadInteger(p) || *p != 0 || markup::ParseInt(id) < 0) {
                Report(file, attributeOffset(u"id"), Severity::Error,
                       "font id " + Quoted(id) + " is not a whole number from 0 up; the font is ignored");
            }
        }
    } else if (NameIs(element, u"Default")) {
        if (require(u"name")) {
            const char16_t* className = node.AttributeValue(u"name");
            const char16_t* canonical = ui::CanonicalClassName(className);
            if (canonical == nullptr) {
                Report(file, attributeOffset(u"name"), Severity::Warning,
                       "no class is named " + Quoted(className) + ": this default list is never applied");
            } else if (node.HasAttribute(u"value")) {
                CheckAttributeList(file, canonical, node.AttributeValue(u"value"), attributeOffset(u"value"));
            }
        }
        if (!node.HasAttribute(u"value")) {
            Report(file, node.NameOffset() - 1, Severity::Warning, "<Default> without 'value' sets nothing");
        }
    } else if (NameIs(element, u"MultiLanguage")) {
        require(u"id") && require(u"value");
    }
}

void CSkinChecker::CheckWindow(TFile& file, const ui::CXmlNode& root)
{
    ui::CWindowManagerUI manager;
    for (int i = 0; i < root.AttributeCount(); ++i) {
        const char16_t* name = root.AttributeName(i);
        const char16_t* value = root.AttributeValue(i);
        // Attributes the window does not know are kept as extras for the program to read.
        manager.SetWindowAttribute(name, u"0");
        if (manager.LookupWindowExtra(name) != nullptr) {
            manager.DropWindowExtra(name);
            Report(file, root.AttributeNameOffset(i), Severity::Warning,
                   "<Window> has no attribute " + Quoted(name) + "; it is kept as an extra for the program");
            continue;
        }
        CheckAttribute(file, nullptr, name, value, root.AttributeNameOffset(i), root.AttributeValueOffset(i));
    }
}

void CSkinChecker::CheckChildren(TFile& file, const ui::CXmlNode& parent, int depth)
{
    for (ui::CXmlNode node = parent.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const char16_t* name = node.Name();
        if (IsDefinition(name)) {
            if (parent.Parent().IsValid()) {
                Report(file, node.NameOffset() - 1, Severity::Warning,
                       Tag(name) + " is read only as a child of the root element; here it is ignored");
            }
            continue;
        }
        if (NameIs(name, u"Include")) {
            CheckInclude(file, node, depth);
            continue;
        }
        CheckControl(file, node, depth);
    }
}

void CSkinChecker::CheckInclude(TFile& file, const ui::CXmlNode& node, int depth)
{
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const char16_t* name = node.AttributeName(i);
        if (markup::TextEquals(name, u"count")) {
            CheckAttribute(file, nullptr, name, node.AttributeValue(i), node.AttributeNameOffset(i),
                           node.AttributeValueOffset(i));
        } else if (!markup::TextEquals(name, u"source")) {
            Report(file, node.AttributeNameOffset(i), Severity::Warning,
                   "<Include> has no attribute " + Quoted(name) + "; it is ignored");
        }
    }
    if (!node.HasAttribute(u"source")) {
        Report(file, node.NameOffset() - 1, Severity::Error, "<Include> without 'source' includes nothing");
        return;
    }
    const std::u16string source = node.AttributeValue(u"source");
    std::uint32_t offset = node.NameOffset();
    for (int i = 0; i < node.AttributeCount(); ++i) {
        if (markup::TextEquals(node.AttributeName(i), u"source")) {
            offset = node.AttributeValueOffset(i);
        }
    }
    if (m_included.contains(source) || depth + 1 >= ui::CSkinBuilder::kMaxNesting) {
        Report(file, offset, Severity::Error,
               "including " + Quoted(source) + " here nests without end; the builder stops at this depth");
        return;
    }
    CheckFile(source, &file, offset, depth + 1);
}

void CSkinChecker::CheckControl(TFile& file, const ui::CXmlNode& node, int depth)
{
    const char16_t* name = node.Name();
    const char16_t* canonical = ui::CanonicalClassName(name);
    if (canonical == nullptr) {
        int count = 0;
        const char16_t* const* names = ui::ClassNames(count);
        const char16_t* best = nullptr;
        int bestDistance = 3;
        for (int i = 0; i < count; ++i) {
            const int d = Distance(name, names[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = names[i];
            }
        }
        std::string message = "unknown class " + Quoted(name);
        if (best != nullptr) {
            message += " (did you mean " + Quoted(best) + "?)";
        }
        message +=
            node.HasChildren() ? ": the element and everything inside it are skipped" : ": the element is skipped";
        Report(file, node.NameOffset() - 1, Severity::Error, std::move(message));
        return;
    }
    if (!markup::TextEquals(name, canonical)) {
        Report(file, node.NameOffset() - 1, Severity::Warning,
               "class " + Quoted(name) + " is spelled " + Quoted(canonical));
    }
    for (int i = 0; i < node.AttributeCount(); ++i) {
        CheckAttribute(file, canonical, node.AttributeName(i), node.AttributeValue(i), node.AttributeNameOffset(i),
                       node.AttributeValueOffset(i));
    }
    CheckChildren(file, node, depth);
}

void CSkinChecker::CheckAttributeList(TFile& file, const char16_t* className, const char16_t* list,
                                      std::uint32_t offset)
{
    // The form the controls read: name="value" pairs, one space between them.
    const char16_t* p = list;
    while (*p) {
        std::u16string name, value;
        while (*p && *p != u'=') {
            name += *p++;
        }
        if (*p != u'=' || p[1] != u'"') {
            Report(file, offset, Severity::Error,
                   "default list for " + Narrow(className) + " breaks off at " + Quoted(p) +
                       ": name=\"value\" pairs separated by one space expected");
            return;
        }
        p += 2;
        while (*p && *p != u'"') {
            value += *p++;
        }
        if (*p != u'"') {
            Report(file, offset, Severity::Error,
                   "default list for " + Narrow(className) + ": the value of " + Quoted(name) + " is not closed");
            return;
        }
        ++p;
        CheckAttribute(file, className, name.c_str(), value.c_str(), offset, offset);
        if (*p == 0) {
            return;
        }
        if (*p != u' ') {
            Report(file, offset, Severity::Error,
                   "default list for " + Narrow(className) + " breaks off at " + Quoted(p) +
                       ": name=\"value\" pairs separated by one space expected");
            return;
        }
        ++p;
    }
}

void CSkinChecker::CheckAttribute(TFile& file, const char16_t* className, const char16_t* name, const char16_t* value,
                                  std::uint32_t nameOffset, std::uint32_t valueOffset)
{
    ValueForm form = ValueForm::Integer;
    int count = 1;
    bool seen = false;
    if (className == nullptr) {
        // Window and Include attributes: read on a manager of their own.
        ui::CWindowManagerUI manager;
        CFormRecorder recorder(value);
        if (markup::TextEquals(name, u"count")) {
            markup::ParseInt(value);
        } else {
            manager.SetWindowAttribute(name, value);
        }
        seen = recorder.seen;
        form = recorder.form;
        count = recorder.count;
    } else {
        // A control keeps the attributes no class of it knows as custom attributes (non-empty
        // values only), so a fresh control tells whether the name is known.
        const auto known = [className](const char16_t* attribute) {
            ControlPtr probe(ui::CreateControlForClass(className));
            probe->SetAttribute(attribute, u"0");
            return probe->GetCustomAttribute(attribute) == nullptr;
        };
        if (!known(name)) {
            // Names one edit away that the class knows: a likely misspelling.
            std::u16string best;
            const std::u16string original = name;
            const std::u16string_view letters = u"abcdefghijklmnopqrstuvwxyz0123456789";
            std::set<std::u16string> candidates;
            for (std::size_t i = 0; i <= original.size(); ++i) {
                if (i < original.size()) {
                    std::u16string removed = original;
                    removed.erase(i, 1);
                    candidates.insert(removed);
                    if (i + 1 < original.size()) {
                        std::u16string swapped = original;
                        std::swap(swapped[i], swapped[i + 1]);
                        candidates.insert(swapped);
                    }
                }
                for (const char16_t c : letters) {
                    std::u16string inserted = original;
                    inserted.insert(inserted.begin() + std::ptrdiff_t(i), c);
                    candidates.insert(inserted);
                    if (i < original.size()) {
                        std::u16string changed = original;
                        changed[i] = c;
                        candidates.insert(changed);
                    }
                }
            }
            candidates.erase(original);
            for (const std::u16string& candidate : candidates) {
                if (!candidate.empty() && known(candidate.c_str())) {
                    best = candidate;
                    break;
                }
            }
            if (!best.empty()) {
                Report(file, nameOffset, Severity::Error,
                       Narrow(className) + " has no attribute " + Quoted(name) + " (did you mean " + Quoted(best) +
                           "?)");
            } else {
                Report(file, nameOffset, Severity::Warning,
                       Narrow(className) + " has no attribute " + Quoted(name) +
                           "; it is kept as a custom attribute for the program");
            }
            return;
        }
        ControlPtr control(ui::CreateControlForClass(className));
        CFormRecorder recorder(value);
        control->SetAttribute(name, value);
        seen = recorder.seen;
        form = recorder.form;
        count = recorder.count;
    }

    const std::u16string_view attribute = name;
    if (seen) {
        const char16_t* p = value;
        bool wellFormed = true;
        std::string detail;
        switch (form) {
        case ValueForm::Integer:
            wellFormed = ReadInteger(p) && *p == 0;
            break;
        case ValueForm::Real:
            wellFormed = ReadReal(p) && *p == 0;
            break;
        case ValueForm::IntegerList:
        case ValueForm::RealList: {
            int numbers = 0;
            while (wellFormed) {
                if (!(form == ValueForm::RealList ? ReadReal(p) : ReadInteger(p))) {
                    wellFormed = false;
                    break;
                }
                ++numbers;
                if (*p == 0) {
                    break;
                }
                ++p; // one separator between numbers
            }
            if (wellFormed && numbers != count) {
                Report(file, valueOffset, Severity::Warning,
                       Quoted(attribute) + " takes " + std::to_string(count) + (count == 1 ? " number" : " numbers") +
                           ", " + Quoted(value) + " has " + std::to_string(numbers) +
                           (numbers < count ? "; the missing ones read as 0" : "; the rest is ignored"));
            }
            break;
        }
        case ValueForm::Color: {
            while (*p != 0 && *p <= u' ') {
                ++p;
            }
            if (*p == u'#') {
                ++p;
            }
            int digits = 0;
            while (IsHex(*p)) {
                ++p;
                ++digits;
            }
            wellFormed = digits > 0 && digits <= 8 && *p == 0;
            if (!wellFormed) {
                detail = " (colours are #AARRGGBB in hexadecimal)";
            } else if (EndsWithNoCase(attribute, u"bkcolor") || EndsWithNoCase(attribute, u"bkcolor1") ||
                       EndsWithNoCase(attribute, u"bkcolor2") || EndsWithNoCase(attribute, u"bkcolor3")) {
                const std::uint32_t argb = markup::ParseColor(value);
                if (argb != 0 && (argb >> 24) == 0) {
                    Report(file, valueOffset, Severity::Warning,
                           "fill colour " + Quoted(value) + " has alpha 0 and paints nothing; an opaque fill is " +
                               "#FF" + Narrow(std::u16string(p - std::min(digits, 6), p)));
                }
            }
            break;
        }
        case ValueForm::Boolean:
            if (!markup::TextEquals(value, u"true") && !markup::TextEquals(value, u"false")) {
                Report(file, valueOffset, Severity::Warning,
                       Quoted(attribute) + " is true exactly for \"true\"; " + Quoted(value) + " reads as false");
            }
            break;
        case ValueForm::BooleanNoCase:
            if (!markup::TextEqualsNoCase(value, u"true") && !markup::TextEqualsNoCase(value, u"false")) {
                Report(file, valueOffset, Severity::Warning,
                       Quoted(attribute) + " is true for \"true\"; " + Quoted(value) + " reads as false");
            }
            break;
        }
        if (!wellFormed) {
            Report(file, valueOffset, Severity::Error,
                   Quoted(attribute) + " takes " + std::string(FormName(form)) + ", not " + Quoted(value) + detail);
            return;
        }
    }
    if (className != nullptr && markup::TextEquals(name, u"font") && seen && form == ValueForm::Integer) {
        const int font = markup::ParseInt(value);
        if (font >= 0 && !m_fonts.contains(font)) {
            Report(file, valueOffset, Severity::Error,
                   "font " + std::to_string(font) + " is not defined (a <Font id=\"" + std::to_string(font) +
                       "\" .../> is missing); the default font is used");
        }
    }
    if (className != nullptr && EndsWithNoCase(attribute, u"image") && value[0] != 0) {
        CheckImage(file, value, valueOffset);
    }
}

void CSkinChecker::CheckImage(TFile& file, const char16_t* descriptor, std::uint32_t offset)
{
    ui::TImageDescriptorText parsed;
    ui::CRenderKit::ParseImageDescriptor(descriptor, parsed);
    const std::u16string_view text = descriptor;
    const bool pairs = text.find(u'=') != std::u16string_view::npos;
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\t')) {
        --end;
    }
    if (pairs && std::size_t(parsed.scanEnd) < end) {
        Report(file, offset + std::uint32_t(parsed.scanEnd), Severity::Error,
               "image descriptor breaks off at " + Quoted(text.substr(std::size_t(parsed.scanEnd))) +
                   ": key='value' pairs separated by spaces expected");
        return;
    }
    if (parsed.unknownKeyAt >= 0) {
        std::u16string key;
        for (std::size_t i = std::size_t(parsed.unknownKeyAt); i < text.size() && text[i] != u'=' && text[i] != u' ';
             ++i) {
            key += text[i];
        }
        Report(file, offset + std::uint32_t(parsed.unknownKeyAt), Severity::Warning,
               "image descriptors have no key " + Quoted(key) + "; it is ignored");
    }
    if (parsed.hasType || parsed.imageName.IsEmpty()) {
        return;
    }
    const std::u16string image = parsed.imageName.CStr();
    if (!SkinFileExists(image)) {
        Report(file, offset, Severity::Error, "image " + Quoted(image) + " is not in the skin");
    }
}

} // namespace skintool
