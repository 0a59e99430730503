// The extraction benchmark's program, two modes:
//
//   extract_bench run ARCHIVE FOLDER
//     One install run as the setup does it (StartInstall: journal at FOLDER\uninstall,
//     events to a hidden window, message pumps), with the archive mapped from a file as
//     the setup's resource is mapped from its image. Prints the run's own time and the
//     longest gap between two message pumps.
//
//   extract_bench analyze ARCHIVE FOLDER
//     Where the time goes: decodes every solid block once on its own (timed, and the
//     largest block's size), then creates and writes files of the same names and sizes
//     into FOLDER without decoding (the file system's share under Wine).
//
// Output: "key value" lines, read by bench/run.sh.
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <tuple>
#include <vector>
#include "7z.h"
#include "7zCrc.h"
#include "7zFile.h"
#include "engine/Extraction.h"
#include "engine/ExtractionNames.h"
#include "engine/FolderChain.h"
#include "engine/InstallEvents.h"
#include "engine/InstallRun.h"
#include "engine/MemoryInStream.h"
#include "base/Handles.h"

#include "Clock.h"

namespace {

struct MappedFile {
    UniqueFile file;
    UniqueHandle mapping;
    const void* view = nullptr;
    DWORD size = 0;
    explicit MappedFile(const wchar_t* path)
        : file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
        if (!file) return;
        size = ::GetFileSize(file.get(), nullptr);
        mapping.reset(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (mapping) view = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    }
    ~MappedFile() { if (view) ::UnmapViewOfFile(view); }
    PayloadBytes bytes() const { return PayloadBytes(static_cast<const std::uint8_t*>(view), size); }
};

// The pump of the setup's run with no skinned window to offer messages to first: the
// bench's one window has no window manager, so the framework's pump would come down to
// this. The bench links the engine and base only, as the uninstaller does.
void PumpMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

long g_events = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INSTALL_EVENT) {
        ++g_events;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CountingWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ExtractBench";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, windowClass.lpszClassName, L"bench", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

int Run(const MappedFile& archive, const wchar_t* folder) {
    HWND window = CountingWindow();
    int prompts = 0;
    double lastPump = 0, longestGap = 0;
    InstallState state(::GetModuleHandleW(nullptr));
    state.installPath = folder;
    ExtractionHooks hooks;
    hooks.payload = [&] { return archive.bytes(); };
    hooks.prompt = [&](const CUIString&) { ++prompts; return FailureAnswer::Abort; };
    // The decode of a whole block runs from its notice to the next pump.
    double decodeStart = -1, longestDecode = 0;
    hooks.decodingBlock = [&](std::uint32_t) { decodeStart = Now(); };
    // BENCH_SLOW_UI_MS=n: the UI thread sleeps n ms at each pump, as a loaded machine slows
    // it, so that the decode ahead gets as far as it may (the worst case for memory).
    wchar_t slowText[16] = L"";
    const DWORD slow =
        ::GetEnvironmentVariableW(L"BENCH_SLOW_UI_MS", slowText, 16) ? std::wcstoul(slowText, nullptr, 10) : 0;
    hooks.pump = [&] {
        if (slow) ::Sleep(slow);
        const double now = Now();
        longestGap = std::max(longestGap, now - lastPump);
        if (decodeStart >= 0) longestDecode = std::max(longestDecode, now - decodeStart), decodeStart = -1;
        PumpMessages();
        lastPump = Now();
    };
    std::ignore = CreateFolderChain(folder, nullptr);  // the main window does this before the run; the run reports a failure
    // What the process holds before the run (Wine, the window's libraries, the image):
    // the peak above it is the extraction's own.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    const double start = Now();
    lastPump = start;
    StartInstall(state, window, hooks);
    PumpMessages();
    longestGap = std::max(longestGap, Now() - lastPump);
    state.journal.reset();  // the journal's encryption belongs to the run
    const double elapsed = Now() - start;
    std::printf("run_s %.4f\nlongest_block_decode_s %.4f\nlongest_pump_gap_s %.4f\nevents %ld\nprompts %d\ncompleted %d\nresident_at_start_bytes %llu\n",
                elapsed, longestDecode, longestGap, g_events, prompts, state.extractionCompleted ? 1 : 0,
                static_cast<unsigned long long>(counters.WorkingSetSize));
    return state.extractionCompleted ? 0 : 1;
}

void* Allocate(ISzAllocPtr, size_t size) { return size ? std::malloc(size) : nullptr; }
void Release(ISzAllocPtr, void* p) { std::free(p); }
const ISzAlloc kAlloc = {Allocate, Release};

int Analyze(const MappedFile& archive, const std::wstring& folder) {
    CrcGenerateTable();
    MemoryInStream stream;
    MemoryInStream_Init(&stream, archive.view, archive.size);
    std::vector<Byte> lookBuffer(size_t{1} << 18);
    CLookToRead2 look{};
    look.buf = lookBuffer.data();
    look.bufSize = lookBuffer.size();
    look.realStream = &stream.vt;
    LookToRead2_CreateVTable(&look, False);
    LookToRead2_INIT(&look);
    CSzArEx db;
    SzArEx_Init(&db);
    if (SzArEx_Open(&db, &look.vt, &kAlloc, &kAlloc) != SZ_OK) return 2;

    // Decode each block once, through its first file.
    double decodeTotal = 0, largestDecode = 0;
    UInt64 largestSize = 0, unpacked = 0;
    std::vector<UInt64> blockSizes;
    for (UInt32 block = 0; block < db.db.NumFolders; ++block) {
        UInt32 index = 0xFFFFFFFF;
        Byte* buffer = nullptr;
        size_t bufferSize = 0, offset = 0, size = 0;
        const double t0 = Now();
        const SRes res = SzArEx_Extract(&db, &look.vt, db.FolderToFile[block], &index, &buffer, &bufferSize, &offset,
                                        &size, &kAlloc, &kAlloc);
        const double t = Now() - t0;
        std::free(buffer);
        if (res != SZ_OK) return 3;
        decodeTotal += t;
        blockSizes.push_back(bufferSize);
        if (bufferSize > largestSize) largestSize = bufferSize, largestDecode = t;
    }

    // Create and write files of the same names and sizes, without decoding.
    std::vector<Byte> zeros;
    std::vector<UInt16> name;
    const double w0 = Now();
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        name.resize(SzArEx_GetFileNameUtf16(&db, i, nullptr));
        SzArEx_GetFileNameUtf16(&db, i, name.data());
        const CUIString target = EntryTargetPath(folder, reinterpret_cast<const wchar_t*>(name.data()));
        if (SzArEx_IsDir(&db, i)) continue;
        std::ignore = CreateFolderChain(ParentFolder(target), nullptr);  // the file write that follows fails instead
        size_t size = static_cast<size_t>(SzArEx_GetFileSize(&db, i));
        unpacked += size;
        if (zeros.size() < size) zeros.resize(size);
        CSzFile file;
        File_Construct(&file);
        if (OutFile_OpenW(&file, target.c_str()) != 0) return 4;
        File_Write(&file, zeros.data(), &size);
        File_Close(&file);
    }
    const double writeTotal = Now() - w0;
    // A run holds the block it writes and the one decoded ahead: at worst the two largest.
    std::sort(blockSizes.rbegin(), blockSizes.rend());
    const UInt64 twoLargest = (blockSizes.size() > 0 ? blockSizes[0] : 0) + (blockSizes.size() > 1 ? blockSizes[1] : 0);

    // The folder checks of a run, once all folders exist: one per change of folder.
    const double f0 = Now();
    CUIString lastFolder;
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        name.resize(SzArEx_GetFileNameUtf16(&db, i, nullptr));
        SzArEx_GetFileNameUtf16(&db, i, name.data());
        CUIString parent = ParentFolder(EntryTargetPath(folder, reinterpret_cast<const wchar_t*>(name.data())));
        if (parent == lastFolder) continue;
        std::ignore = CreateFolderChain(parent, nullptr);  // timed, not checked: the writes say
        lastFolder = std::move(parent);
    }
    const double folderTotal = Now() - f0;

    // The status and progress events of every file, posted and pumped to a window.
    HWND window = CountingWindow();
    InstallState state(::GetModuleHandleW(nullptr));
    state.window = window;
    const double e0 = Now();
    for (UInt32 i = 0; i < db.NumFiles; ++i) {
        state.SetStatusText(folder);
        ::PostMessageW(window, WM_INSTALL_EVENT, INSTALL_EVENT_PROGRESS, i * 100 / db.NumFiles);
        PumpMessages();
        PumpMessages();
    }
    const double eventTotal = Now() - e0;
    std::printf("entries %u\nblocks %u\nunpacked_bytes %llu\nlargest_block_bytes %llu\n"
                "largest_block_decode_s %.4f\ndecode_all_s %.4f\nfiles_write_s %.4f\n"
                "folder_checks_s %.4f\nevents_and_pumps_s %.4f\ntwo_largest_blocks_bytes %llu\n",
                db.NumFiles, db.db.NumFolders, static_cast<unsigned long long>(unpacked),
                static_cast<unsigned long long>(largestSize), largestDecode, decodeTotal, writeTotal,
                folderTotal, eventTotal, static_cast<unsigned long long>(twoLargest));
    SzArEx_Free(&db, &kAlloc);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: extract_bench run|analyze ARCHIVE FOLDER\n");
        return 2;
    }
    const MappedFile archive(argv[2]);
    if (!archive.view) return 2;
    const std::wstring mode = argv[1];
    return mode == L"run" ? Run(archive, argv[3]) : Analyze(archive, argv[3]);
}
