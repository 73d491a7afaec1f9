// Extracting every member of an encrypted skin-like archive of about 20 MB held in memory: the skin
// archive reader against libzip with its traditional PKWARE decryption, in the same run.
// The archive is made at start by Info-ZIP's zip -P from generated images (noise) and markup (text).
#include "ui/skin/ZipArchive.h"

#include <benchmark/benchmark.h>

#ifdef TVU_HAVE_LIBZIP
#include <zip.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
constexpr char kPassword[] = "QwPlrTvK";

struct Corpus
{
    std::vector<std::uint8_t> archive;
    std::uint64_t totalBytes = 0;
    bool ok = false;
};

void WriteBytes(const fs::path& path, const std::string& data)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(data.data(), std::streamsize(data.size()));
}

Corpus MakeCorpus()
{
    Corpus corpus;
    const fs::path dir = fs::temp_directory_path() / ("tvu-bench-zip-" + std::to_string(std::random_device{}()));
    std::mt19937 gen(42);
    // 32 images of 512 KiB: noise, like compressed picture formats.
    for (int i = 0; i < 32; ++i) {
        std::string data(512 * 1024, '\0');
        for (char& c : data)
            c = char(gen());
        WriteBytes(dir / "skin/img" / ("image" + std::to_string(i) + ".png"), data);
        corpus.totalBytes += data.size();
    }
    // 16 markup files of 1 MiB: repetitive but not trivial text.
    for (int i = 0; i < 16; ++i) {
        std::string data;
        while (data.size() < 1024 * 1024) {
            data += "<Button name=\"btn" + std::to_string(gen() % 5000) + "\" pos=\"" + std::to_string(gen() % 800) +
                    "," + std::to_string(gen() % 600) + "\" normalimage=\"img/image" + std::to_string(gen() % 32) +
                    ".png\" text=\"" + std::to_string(gen()) + "\" />\n";
        }
        data.resize(1024 * 1024);
        WriteBytes(dir / "skin/xml" / ("page" + std::to_string(i) + ".xml"), data);
        corpus.totalBytes += data.size();
    }
    const std::string command = "cd '" + (dir / "skin").string() + "' && zip -q -r -X -P " + kPassword + " '" +
                                (dir / "skin.zip").string() + "' .";
    if (std::system(command.c_str()) == 0) {
        std::ifstream in(dir / "skin.zip", std::ios::binary);
        corpus.archive.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        corpus.ok = !corpus.archive.empty();
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return corpus;
}

const Corpus& TheCorpus()
{
    static const Corpus corpus = MakeCorpus();
    return corpus;
}

void BM_SkinReader(benchmark::State& state)
{
    const Corpus& corpus = TheCorpus();
    if (!corpus.ok) {
        state.SkipWithError("zip -P could not make the archive");
        return;
    }
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        ui::zip::ZipArchivePtr archive(
            ui::zip::OpenFromMemory(corpus.archive.data(), corpus.archive.size(), kPassword));
        const std::int32_t count = ui::zip::MemberCount(archive.get());
        for (std::int32_t i = 0; i < count; ++i) {
            ui::zip::TZipEntry entry;
            ui::zip::GetMember(archive.get(), i, &entry);
            buffer.resize(std::size_t(entry.uncompressedSize));
            if (ui::zip::ExtractToMemory(archive.get(), i, buffer.data(), buffer.size()) != ui::zip::kZipOk) {
                state.SkipWithError("extraction failed");
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * corpus.totalBytes));
}
BENCHMARK(BM_SkinReader)->Unit(benchmark::kMillisecond);

#ifdef TVU_HAVE_LIBZIP
void BM_Libzip(benchmark::State& state)
{
    const Corpus& corpus = TheCorpus();
    if (!corpus.ok) {
        state.SkipWithError("zip -P could not make the archive");
        return;
    }
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(corpus.archive.data(), corpus.archive.size(), 0, &error);
        zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (archive == nullptr) {
            zip_source_free(source);
            state.SkipWithError("libzip could not open the archive");
            return;
        }
        zip_set_default_password(archive, kPassword);
        const zip_int64_t count = zip_get_num_entries(archive, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t stat;
            zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
            buffer.resize(std::size_t(stat.size));
            zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
            if (file == nullptr || zip_fread(file, buffer.data(), buffer.size()) != zip_int64_t(buffer.size())) {
                state.SkipWithError("libzip extraction failed");
                return;
            }
            zip_fclose(file);
            benchmark::DoNotOptimize(buffer.data());
        }
        zip_discard(archive);
        zip_error_fini(&error);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * corpus.totalBytes));
}
BENCHMARK(BM_Libzip)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK_MAIN();
