// Malformed payloads through the real extraction: two small seed archives cut short at
// every byte of their signature and end headers (where every header field begins and
// ends) and at points through the packed streams, and with bytes flipped in the headers
// (once with the header CRCs left to catch it, once with them recomputed so the damage
// reaches the header parser) and in the packed streams. Every run must come back (no
// crash, no hang), post INSTALL_EVENT_DONE exactly once and last, write nothing outside
// the install folder, and journal only paths inside it. The prompt answers Ignore or
// Abort, alternately per case.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "HardeningSupport.h"
#include "engine/Extraction.h"
#include "engine/InstallEvents.h"
#include "engine/InstallState.h"
#include "engine/PayloadRoom.h"
#include "seed_archives.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Damaged {
    std::string label;
    Bytes bytes;
};

std::uint32_t Crc32(const std::uint8_t* data, size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

template <typename T>
T Get(const Bytes& b, size_t at) {
    T value;
    std::memcpy(&value, b.data() + at, sizeof value);
    return value;
}
void PutCrc(Bytes& b, size_t at, std::uint32_t value) { std::memcpy(b.data() + at, &value, sizeof value); }

// Layout of a 7z file: a 32-byte signature header, the packed streams, the end header.
struct Layout {
    size_t endHeader;  // offset of the end header
    size_t size;
};
Layout LayoutOf(const Bytes& archive) {
    return {32 + static_cast<size_t>(Get<std::uint64_t>(archive, 12)), archive.size()};
}

// Recomputes the end header's CRC and the signature header's CRC over it.
void FixCrcs(Bytes& b, const Layout& layout) {
    PutCrc(b, 28, Crc32(b.data() + layout.endHeader, layout.size - layout.endHeader));
    PutCrc(b, 8, Crc32(b.data() + 12, 20));
}

std::vector<Damaged> Corpus(const char* seedName, const std::uint8_t* seed, size_t seedSize) {
    const Bytes archive(seed, seed + seedSize);
    const Layout layout = LayoutOf(archive);
    const std::string tag = std::string(seedName) + " ";
    std::vector<Damaged> out;
    auto cut = [&](size_t length) {
        out.push_back({tag + "cut at " + std::to_string(length), Bytes(archive.begin(), archive.begin() + length)});
    };
    auto flip = [&](size_t at, std::uint8_t mask, bool fixCrcs) {
        Bytes b = archive;
        b[at] ^= mask;
        if (fixCrcs) FixCrcs(b, layout);
        out.push_back({tag + "flip " + std::to_string(mask) + " at " + std::to_string(at) +
                           (fixCrcs ? " (CRCs fixed)" : ""),
                       std::move(b)});
    };
    for (size_t length = 0; length <= 32; ++length) cut(length);
    for (size_t length = layout.endHeader; length < layout.size; ++length) cut(length);
    const size_t packed = layout.endHeader - 32, stride = std::max<size_t>(1, packed / 12);
    for (size_t at = 32 + stride / 2; at < layout.endHeader; at += stride) {
        cut(at);
        flip(at, 0xFF, false);
    }
    for (size_t at = 0; at < 32; ++at) flip(at, 0xFF, false);
    for (size_t at = layout.endHeader; at < layout.size; ++at) {
        if ((at - layout.endHeader) % 8 == 0) flip(at, 0xFF, false);  // the CRC catches these alike
        flip(at, 0xFF, true);
        flip(at, 0x01, true);
    }
    return out;
}

// One extraction of `archive` into a fresh "inst" folder, with a journal beside it.
struct Outcome {
    std::vector<WPARAM> events;
    std::vector<std::wstring> listing;
    std::string journal;
    std::string installFolder;  // UTF-8, as the journal names it
    size_t prompts = 0;
};

Outcome Extract(const Bytes& archive, FailureAnswer answer) {
    TempFolder scratch(L"fuzz");
    std::filesystem::create_directory(scratch / L"inst");
    EventQueue queue;
    InstallState state(::GetModuleHandleW(nullptr));
    state.installPath = scratch / L"inst";
    state.window = queue.window();
    state.journal = std::make_unique<InstallJournal>();
    state.journal->open(scratch / L"journal");

    Outcome outcome;
    ExtractionHooks hooks;
    hooks.payload = [&] { return PayloadBytes(archive.data(), archive.size()); };
    // A damaged count of entries could ask for ever: past 64 prompts the answer is Abort.
    hooks.prompt = [&](const CUIString&) { return ++outcome.prompts > 64 ? FailureAnswer::Abort : answer; };
    hooks.pump = [] {};  // the events stay queued, to be counted
    ExtractPayload(state, hooks);

    outcome.events = queue.take();
    outcome.listing = scratch.listing();
    outcome.journal = ReadAllBytes(scratch / L"journal");
    outcome.installFolder = Narrow(state.installPath);
    state.journal.reset();
    return outcome;
}

// What every run must show, whatever the damage; empty when all holds.
std::string Violations(const Outcome& o) {
    const std::string& installFolderUtf8 = o.installFolder;
    std::string problems;
    const auto done = std::count(o.events.begin(), o.events.end(), WPARAM{INSTALL_EVENT_DONE});
    if (done != 1) problems += " done posted " + std::to_string(done) + " times;";
    if (o.events.empty() || o.events.back() != INSTALL_EVENT_DONE) problems += " done is not last;";
    for (const std::wstring& entry : o.listing) {
        if (entry != L"journal" && entry.rfind(L"inst\\", 0) != 0) problems += " written outside: " + Narrow(entry) + ";";
    }
    for (size_t at = 0; at < o.journal.size();) {
        const size_t end = std::min(o.journal.find("\r\n", at), o.journal.size());
        const std::string line = o.journal.substr(at, end - at);
        if (line.rfind("D " + installFolderUtf8, 0) != 0 && line.rfind("F " + installFolderUtf8 + "\\", 0) != 0)
            problems += " journal line outside: " + line + ";";
        at = end + 2;
    }
    return problems;
}

void RunCorpus(const char* name, const std::uint8_t* seed, size_t size) {
    const auto corpus = Corpus(name, seed, size);
    size_t failures = 0;
    for (size_t i = 0; i < corpus.size(); ++i) {
        const FailureAnswer answer = i % 2 ? FailureAnswer::Abort : FailureAnswer::Ignore;
        const std::string problems = Violations(Extract(corpus[i].bytes, answer));
        if (!problems.empty() && ++failures <= 20) ADD_FAILURE() << corpus[i].label << ":" << problems;
    }
    EXPECT_EQ(failures, 0u) << "of " << corpus.size() << " damaged archives";
    ::testing::Test::RecordProperty("cases", static_cast<int>(corpus.size()));
}

}  // namespace

// The seeds themselves extract completely, so the damage below is all that differs.
TEST(ExtractionFuzz, SeedsExtractCompletely) {
    for (const Bytes& seed : {Bytes(std::begin(kPlainSeed), std::end(kPlainSeed)),
                              Bytes(std::begin(kPackedSeed), std::end(kPackedSeed))}) {
        const Outcome outcome = Extract(seed, FailureAnswer::Abort);
        EXPECT_EQ(outcome.prompts, 0u);
        EXPECT_EQ(outcome.events.back(), WPARAM{INSTALL_EVENT_DONE});
        EXPECT_NE(std::find(outcome.listing.begin(), outcome.listing.end(), L"inst\\a\\b\\c.txt"),
                  outcome.listing.end());
    }
}

TEST(ExtractionFuzz, PlainHeaderSeedDamagedNeverCrashesAndEndsOnce) {
    const auto start = std::chrono::steady_clock::now();
    RunCorpus("plain", kPlainSeed, sizeof kPlainSeed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST(ExtractionFuzz, PackedHeaderSeedDamagedNeverCrashesAndEndsOnce) {
    const auto start = std::chrono::steady_clock::now();
    RunCorpus("packed", kPackedSeed, sizeof kPackedSeed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

// The room check reads entry names from the archive's header alone.
TEST(PayloadRoom, LongestEntryAndTheFolderItLeavesRoomFor) {
    const PayloadBytes plain(kPlainSeed, sizeof kPlainSeed);
    EXPECT_EQ(LongestEntryName(plain), 9u);  // "a/b/c.txt", "empty.txt"
    EXPECT_EQ(LongestEntryName(PayloadBytes(kPackedSeed, sizeof kPackedSeed)), 9u);
    EXPECT_EQ(LongestEntryName(PayloadBytes(kPlainSeed, 40)), 0u);
    // The draft of the journal's companion, "uninstallE.new" (14), is the deepest here:
    // 244 + 1 + 14 = 259.
    EXPECT_TRUE(PayloadFitsUnder(std::wstring(244, L'x'), plain));
    EXPECT_FALSE(PayloadFitsUnder(std::wstring(245, L'x'), plain));
    // An unreadable archive is left to the extraction to report; the journal must fit.
    EXPECT_TRUE(PayloadFitsUnder(std::wstring(244, L'x'), PayloadBytes(kPlainSeed, 40)));
    EXPECT_FALSE(PayloadFitsUnder(std::wstring(245, L'x'), PayloadBytes(kPlainSeed, 40)));
}
