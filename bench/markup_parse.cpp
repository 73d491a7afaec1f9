// Skin markup parsing throughput: CXmlDocument on a generated skin of about 2 MB of UTF-8, against
// the default parse of a general XML library over the same bytes when that library is available.
// Both are measured in short repetitions and reported by their medians; scripts/bench runs the
// repetitions in a random interleaved order, so that a burst of load on the machine falls on both
// rather than on whichever ran then.
#include "ui/skin/XmlDocument.h"

#include <benchmark/benchmark.h>

#ifdef TVU_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

#include <string>
#include <vector>

namespace {

// A skin as designers write them: nested layouts of controls with positions, colours, image
// descriptors and some non-ASCII texts, indented, with comments.
std::string MakeSkin(std::size_t targetBytes)
{
    std::string s = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n"
                    "<Window size=\"800,600\" caption=\"0,0,0,36\" roundcorner=\"6,6\" mininfo=\"400,300\">\n"
                    "  <Font id=\"0\" name=\"Segoe UI\" size=\"12\" bold=\"false\" default=\"true\"/>\n"
                    "  <Default name=\"Button\" value=\"textcolor=&quot;#FF333333&quot; font=&quot;0&quot;\"/>\n"
                    "  <VerticalLayout bkcolor=\"#FFF5F6F7\">\n";
    int n = 0;
    while (s.size() < targetBytes) {
        const std::string id = std::to_string(n++);
        s += "    <!-- section " + id +
             " -->\n"
             "    <HorizontalLayout name=\"row_" +
             id +
             "\" height=\"48\" padding=\"8,4,8,4\" childpadding=\"6\">\n"
             "      <Label name=\"title_" +
             id + "\" text=\"Einstellungen &amp; Verbindung \xC3\xBC\xE2\x82\xAC " + id +
             "\" textcolor=\"#FF1A1A1A\" font=\"1\" align=\"left\" endellipsis=\"true\" width=\"220\"/>\n"
             "      <Control/>\n"
             "      <VerticalLayout width=\"180\">\n"
             "        <Button name=\"btn_ok_" +
             id + "\" text=\"OK\" tooltip=\"Confirm &lt;" + id +
             "&gt;\" "
             "normalimage=\"file='btn.png' source='0,0,80,30' corner='4,4,4,4'\" "
             "hotimage=\"file='btn.png' source='0,30,80,60' corner='4,4,4,4'\" "
             "pushedimage=\"file='btn.png' source='0,60,80,90' corner='4,4,4,4'\" "
             "pos=\"0,0,80,30\" float=\"true\"/>\n"
             "        <Option name=\"opt_" +
             id + "\" group=\"g" + id +
             "\" selected=\"false\" "
             "selectedimage=\"opt_sel.png\" text=\"Auto\"/>\n"
             "        <Text text=\"Line with some words in it\" multiline=\"true\" textpadding=\"2,2,2,2\">Note " +
             id +
             "</Text>\n"
             "      </VerticalLayout>\n"
             "    </HorizontalLayout>\n";
    }
    s += "  </VerticalLayout>\n</Window>\n";
    return s;
}

const std::string& Skin()
{
    static const std::string skin = MakeSkin(2 * 1024 * 1024);
    return skin;
}

void BM_CXmlDocument(benchmark::State& state)
{
    const std::string& skin = Skin();
    for (auto _ : state) {
        ui::CXmlDocument doc;
        const bool ok = doc.LoadBytes(skin.data(), skin.size(), ui::MarkupEncoding::Utf8);
        if (!ok) {
            state.SkipWithError("parse failed");
            break;
        }
        benchmark::DoNotOptimize(doc.Root().Index());
        state.counters["elements"] = doc.GetElementCount();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * skin.size()));
}
BENCHMARK(BM_CXmlDocument)->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);

#ifdef TVU_HAVE_PUGIXML
void BM_PugixmlDefault(benchmark::State& state)
{
    const std::string& skin = Skin();
    for (auto _ : state) {
        pugi::xml_document doc;
        const pugi::xml_parse_result result = doc.load_buffer(skin.data(), skin.size());
        if (!result) {
            state.SkipWithError("parse failed");
            break;
        }
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * skin.size()));
}
BENCHMARK(BM_PugixmlDefault)->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);
#endif

} // namespace

BENCHMARK_MAIN();
