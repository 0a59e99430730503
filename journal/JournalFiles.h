#pragma once
// The install journal's two files in the install folder: the plain journal "uninstall",
// appended to while an install runs, and its encrypted companion "uninstallE", which holds
// the journal once it has been finished. Either may exist alone, or both: a setup that
// was ended before it finished its journal leaves the plain one beside an older encrypted
// one. Readers take both, merged (journal/JournalText.h), and trust neither more.
//
// Failure contract: nothing here throws.
#include <string>
#include <string_view>

inline constexpr wchar_t kPlainJournalName[] = L"uninstall";
// "uninstallE": the plain journal's path with this appended.
inline constexpr wchar_t kCipherJournalSuffix[] = L"E";
// "uninstallE.new": the encrypted journal while it is being written; it replaces the
// encrypted journal only once it is complete, so a failed write never loses the records
// that the old one held.
inline constexpr wchar_t kCipherDraftSuffix[] = L".new";

inline std::wstring CipherJournalPath(const std::wstring& plainPath) { return plainPath + kCipherJournalSuffix; }

struct StoredJournal {
    bool cipherRead = false;   // the encrypted journal was read and decrypted
    bool cipherHeld = false;   // it exists but could not be read now (another program holds it)
    bool plainRead = false;    // the plain journal was read
    std::string text;          // the encrypted journal's records, then the plain one's, each once
    std::string cipherText;    // the encrypted journal's text alone, as it stands
    std::string plainText;     // the plain journal's text alone, as it stands
    bool found() const noexcept { return cipherRead || plainRead; }
};

// Reads the journal at `plainPath` and its encrypted companion. An encrypted file that
// cannot be decrypted holds no record this program could use and counts as absent.
// Without a plain journal, a draft that decrypts is the encrypted journal: a commit
// (below) that was ended after the plain journal went and before its draft took the name.
StoredJournal ReadStoredJournal(const std::wstring& plainPath) noexcept;

// Encrypts `text` into `cipherPath`, through a draft beside it that replaces the file
// only once it is complete. The draft is made anew, never written through a link at its
// name. False (and the old file untouched, the draft removed) when
// it could not be written.
[[nodiscard]] bool WriteEncryptedJournal(const std::wstring& cipherPath, std::string_view text) noexcept;

// The same in two steps, for a commit whose point is the plain journal's deletion in
// between: the draft of `text` written whole (false, and no draft, when it cannot be),
// then put in the encrypted journal's place. While the plain journal stands, readers
// ignore the draft; once it is gone, the draft is the journal until it takes the name.
[[nodiscard]] bool WriteEncryptedDraft(const std::wstring& cipherPath, std::string_view text) noexcept;
[[nodiscard]] bool PlaceEncryptedDraft(const std::wstring& cipherPath) noexcept;
// Removes a draft that will not be placed.
void DiscardEncryptedDraft(const std::wstring& cipherPath) noexcept;
