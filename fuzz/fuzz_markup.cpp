// The markup parser: bytes in each of the three encodings, then a walk over every node and
// attribute of what parsed, and the error texts of what did not.
#include "ui/skin/XmlDocument.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const auto encoding : {ui::MarkupEncoding::Utf8, ui::MarkupEncoding::Utf16, ui::MarkupEncoding::Ansi}) {
        ui::CXmlDocument document;
        if (!document.LoadBytes(data, size, encoding)) {
            char16_t message[200];
            document.ErrorMessage(message, 200);
            document.ErrorLocation(message, 200);
            continue;
        }
        // Depth first without recursion: a deep document must not need a deep stack here either.
        std::vector<ui::CXmlNode> pending{document.Root()};
        int visited = 0;
        while (!pending.empty() && visited < 100000) {
            ui::CXmlNode node = pending.back();
            pending.pop_back();
            if (!node.IsValid())
                continue;
            ++visited;
            (void)node.Name();
            (void)node.Value();
            for (int i = 0; i < node.AttributeCount(); ++i) {
                char16_t buffer[16];
                node.CopyAttributeValue(i, buffer, 16);
                (void)node.AttributeValue(node.AttributeName(i));
            }
            pending.push_back(node.NextSibling());
            pending.push_back(node.FirstChild());
        }
    }
    return 0;
}
