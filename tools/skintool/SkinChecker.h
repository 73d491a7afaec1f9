// CSkinChecker: reads a skin file as the builder would and reports what the builder would silently
// skip or misread, each finding at its file, line and column. The class names, the attributes a
// class knows and the form each attribute's value is read in all come from the framework itself:
// the checker creates the control and asks it, so the checker cannot drift from the controls.
#pragma once

#include "ui/skin/SkinSource.h"

#include <set>
#include <string>
#include <vector>

namespace ui {
class CXmlNode;
}

namespace skintool {

enum class Severity
{
    Note,
    Warning,
    Error,
};

struct TDiagnostic
{
    std::string file;
    int line = 0; // 0: the finding concerns the whole file
    int column = 0;
    Severity severity = Severity::Error;
    std::string message;
};

// "file:line:column: error: message", or "file: error: message" without a place.
std::string FormatDiagnostic(const TDiagnostic& d);

class CSkinChecker
{
public:
    // Files are read through source (a folder, or an archive in it), as the builder reads them.
    explicit CSkinChecker(const ui::CSkinSource& source) : m_source(source) {}

    // Checks a skin file and, through its Include elements, the files it includes. False when the
    // file itself does not load or parse.
    bool Check(const std::u16string& fileName);

    const std::vector<TDiagnostic>& Diagnostics() const { return m_diagnostics; }
    int Count(Severity severity) const;
    // Elements of the file that parsed (the count the parser gives).
    int ElementCount() const { return m_elementCount; }

private:
    struct TFile;

    bool CheckFile(const std::u16string& fileName, const TFile* includer, std::uint32_t includeOffset, int depth);
    void RegisterDefinitions(TFile& file, const ui::CXmlNode& root);
    void CheckDefinition(TFile& file, const ui::CXmlNode& node);
    void CheckWindow(TFile& file, const ui::CXmlNode& root);
    void CheckChildren(TFile& file, const ui::CXmlNode& parent, int depth);
    void CheckInclude(TFile& file, const ui::CXmlNode& node, int depth);
    void CheckControl(TFile& file, const ui::CXmlNode& node, int depth);
    // Checks attributes name="value" of a control of the (canonical) class; offsets place them.
    void CheckAttribute(TFile& file, const char16_t* className, const char16_t* name, const char16_t* value,
                        std::uint32_t nameOffset, std::uint32_t valueOffset);
    void CheckAttributeList(TFile& file, const char16_t* className, const char16_t* list, std::uint32_t offset);
    void CheckImage(TFile& file, const char16_t* descriptor, std::uint32_t offset);
    bool SkinFileExists(const std::u16string& name) const;

    void Report(const TFile& file, std::uint32_t offset, Severity severity, std::string message);

    const ui::CSkinSource& m_source;
    std::vector<TDiagnostic> m_diagnostics;
    std::set<int> m_fonts;               // font ids the skin defines
    std::set<std::u16string> m_included; // files on the current include chain
    int m_elementCount = 0;
};

} // namespace skintool
