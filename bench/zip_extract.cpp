// Extracting every member of an encrypted skin-like archive of about 20 MB held in memory: the skin
// archive reader against libzip with its traditional PKWARE decryption, in the same run.
// The archive is made at start by Info-ZIP's zip -P from generated images (noise) and markup (text).
// The floor is raw inflate by zlib of the same members' deflate streams, taken from an archive the
// same tool makes of the same files without a password (encryption is applied after compression,
// so the streams are the ones the reader inflates), with no archive or decryption work at all.
// Each is reported by the median of eleven repetitions.
#include "ui/skin/ZipArchive.h"

#include <benchmark/benchmark.h>

#ifdef TVU_HAVE_LIBZIP
#include <zip.h>
#endif

#include <zlib.h>

#include <algorithm>
#include <cstdint>
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

struct Stream
{
    std::vector<std::uint8_t> deflated;
    std::size_t size = 0; // uncompressed
    bool stored = false;
};

struct Corpus
{
    std::vector<std::uint8_t> archive;
    std::vector<Stream> streams; // the members' raw deflate streams, for the floor
    std::uint64_t totalBytes = 0;
    bool ok = false;
};

std::uint32_t Read16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return at + 2 <= b.size() ? std::uint32_t(b[at] | b[at + 1] << 8) : 0;
}

std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return at + 4 <= b.size() ? Read16(b, at) | Read16(b, at + 2) << 16 : 0;
}

// The member data of an archive without encryption, through its central directory.
bool SplitMembers(const std::vector<std::uint8_t>& zip, std::vector<Stream>& streams)
{
    if (zip.size() < 22)
        return false;
    std::size_t end = zip.size() - 22;
    while (end > 0 && Read32(zip, end) != 0x06054b50)
        --end;
    const std::uint32_t count = Read16(zip, end + 10);
    std::size_t at = Read32(zip, end + 16);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (Read32(zip, at) != 0x02014b50)
            return false;
        const std::uint32_t method = Read16(zip, at + 10);
        const std::uint32_t packed = Read32(zip, at + 20);
        const std::uint32_t size = Read32(zip, at + 24);
        const std::size_t local = Read32(zip, at + 42);
        at += 46 + Read16(zip, at + 28) + Read16(zip, at + 30) + Read16(zip, at + 32);
        if (size == 0)
            continue; // folders
        const std::size_t data = local + 30 + Read16(zip, local + 26) + Read16(zip, local + 28);
        if (Read32(zip, local) != 0x04034b50 || data + packed > zip.size() || (method != 0 && method != 8))
            return false;
        Stream stream;
        stream.deflated.assign(zip.begin() + std::ptrdiff_t(data), zip.begin() + std::ptrdiff_t(data + packed));
        stream.size = size;
        stream.stored = method == 0;
        streams.push_back(std::move(stream));
    }
    return !streams.empty();
}

std::vector<std::uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    const std::string plain =
        "cd '" + (dir / "skin").string() + "' && zip -q -r -X '" + (dir / "plain.zip").string() + "' .";
    if (std::system(command.c_str()) == 0 && std::system(plain.c_str()) == 0) {
        corpus.archive = ReadAll(dir / "skin.zip");
        corpus.ok = !corpus.archive.empty() && SplitMembers(ReadAll(dir / "plain.zip"), corpus.streams);
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
BENCHMARK(BM_SkinReader)->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);

// The floor: zlib's raw inflate of every member's stream into the same kind of buffer.
void BM_RawInflate(benchmark::State& state)
{
    const Corpus& corpus = TheCorpus();
    if (!corpus.ok) {
        state.SkipWithError("zip could not make the archives");
        return;
    }
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        for (const Stream& stream : corpus.streams) {
            buffer.resize(stream.size);
            if (stream.stored) {
                std::copy(stream.deflated.begin(), stream.deflated.end(), buffer.begin());
                continue;
            }
            z_stream z{};
            inflateInit2(&z, -MAX_WBITS);
            z.next_in = const_cast<Bytef*>(stream.deflated.data());
            z.avail_in = uInt(stream.deflated.size());
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            const int rc = inflate(&z, Z_FINISH);
            inflateEnd(&z);
            if (rc != Z_STREAM_END || z.total_out != stream.size) {
                state.SkipWithError("raw inflate failed");
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * corpus.totalBytes));
}
BENCHMARK(BM_RawInflate)->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);

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
BENCHMARK(BM_Libzip)->Unit(benchmark::kMillisecond)->MinTime(0.2)->Repetitions(11)->ReportAggregatesOnly(true);
#endif

} // namespace

BENCHMARK_MAIN();
