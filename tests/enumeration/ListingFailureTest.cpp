// Folders (and sources) that are there but cannot be listed, at the start of their search
// or part way through it. The search really runs; only the platform call that breaks off
// is replaced (processes run as root under Wine, so no folder refuses a listing, and no
// share drops). Nothing may be taken for an empty or complete folder: without a question
// the walk fails, retry lists the folder again without listing anything twice, and skip
// leaves the folder out of the job, and of a move's deletions, as a whole.
#include <windows.h>

#include <memory>
#include <string>

#include "BreakingSearch.h"
#include "EnumerateSources.h"
#include "EnumerationChecks.h"
#include "FindCopyItem.h"
#include "IFindCopyItemCore.h"
#include "TestFiles.h"
#include "TestHarness.h"

using namespace enumtest;
using Marlin::Sluice::CopyItemFlags;
using Marlin::Sluice::CopyItemsData;
using Marlin::Sluice::EnumerateSources;
using Marlin::Sluice::FindCopyItem;
using quaytest::TempDir;

namespace {

// src: a.txt, d\ (e.txt, f.txt, g\, h.txt), z.txt.
std::wstring MakeTree(const TempDir& dir) {
    const std::wstring src = dir / L"src";
    MakeFixture(src, {{L"a.txt", "a"},
                      {L"d\\", ""},
                      {L"d\\e.txt", "ee"},
                      {L"d\\f.txt", "fff"},
                      {L"d\\g\\", ""},
                      {L"d\\h.txt", "hhhh"},
                      {L"z.txt", "zzzzz"}});
    return src;
}

struct Listing {
    bool listed = false;
    int questions = 0;
    CopyItemsData items;
};

Listing List(const std::wstring& source, bool move, const std::shared_ptr<Breakage>& breakage,
             FindCopyItem::ListingQuestion question) {
    Listing out;
    FindCopyItem::Calls calls;
    calls.search = BreakingSearch::Maker(breakage);
    if (question)
        calls.question = [&out, question](const Marlin::WindowsFileException& failure) {
            ++out.questions;
            return question(failure);
        };
    out.listed = EnumerateSources({source}, L"C:\\nowhere", move, out.items, calls);
    return out;
}

// The picture of the tree with the items marked Skip starred.
std::string SkipPicture(const CopyItemsData& items) {
    std::string out;
    const auto& t = items.Tree(0);
    for (auto it = t.begin(); it != t.end(); ++it) {
        out += std::string(2 * it.depth(), ' ') + KindName(it->kind);
        if (it->kind != CopyItemKind::Root) out += " \"" + quaytest::Utf8(it->path) + "\"";
        if (it->HasFlags(CopyItemFlags::Skip)) out += " *";
        out += '\n';
    }
    return out;
}

}  // namespace

TEST_CASE("a folder that cannot be listed fails the walk when nobody is asked, never counting as empty") {
    struct Row {
        const char* name;
        const wchar_t* pattern;  // after src
        int entriesFirst;
    };
    const Row rows[] = {
        {"a subfolder refuses its listing", L"\\d\\*", -1},
        {"a subfolder's listing breaks off after two of its entries", L"\\d\\*", 4},
        {"a subfolder's listing breaks off before its first entry", L"\\d\\*", 2},
        {"a subfolder's listing breaks off after its last entry", L"\\d\\*", 6},
        {"the source folder refuses its listing", L"\\*", -1},
        {"the source itself cannot be searched for", L"", -1},
    };
    TempDir dir;
    const std::wstring src = MakeTree(dir);
    for (const Row& row : rows) {
        CONTEXT(row.name);
        auto breakage = std::make_shared<Breakage>();
        breakage->pattern = src + row.pattern;
        breakage->entriesFirst = row.entriesFirst;
        for (const bool move : {false, true}) {
            CONTEXT(move ? "move" : "copy");
            breakage->broken = 0;
            const Listing listing = List(src, move, breakage, nullptr);
            CHECK(!listing.listed);
            CHECK_EQ(breakage->broken, 1);
        }
    }
}

TEST_CASE("retry lists the folder again; an entry handed out before the break is not listed twice") {
    struct Row {
        const char* name;
        const wchar_t* pattern;  // after src
        const wchar_t* folder;   // after src: the item the question is about
        int entriesFirst;
        int times;
    };
    const Row rows[] = {
        {"refused once", L"\\d\\*", L"\\d", -1, 1},
        {"refused twice", L"\\d\\*", L"\\d", -1, 2},
        {"broken off after two entries", L"\\d\\*", L"\\d", 4, 1},
        {"broken off after the last entry", L"\\d\\*", L"\\d", 6, 1},
        {"the source folder broken off after one entry", L"\\*", L"", 3, 1},
        {"the source itself refused once", L"", L"", -1, 1},
    };
    TempDir dir;
    const std::wstring src = MakeTree(dir);
    for (const bool move : {false, true}) {
        Listing whole = List(src, move, std::make_shared<Breakage>(), nullptr);
        REQUIRE(whole.listed);
        for (const Row& row : rows) {
            CONTEXT(std::string(row.name) + (move ? ", move" : ", copy"));
            auto breakage = std::make_shared<Breakage>();
            breakage->pattern = src + row.pattern;
            breakage->entriesFirst = row.entriesFirst;
            breakage->times = row.times;
            std::vector<uint32_t> errors;
            std::vector<std::wstring> paths;
            const Listing listing = List(src, move, breakage, [&](const Marlin::WindowsFileException& failure) {
                errors.push_back(failure.error);
                paths.push_back(failure.path);
                return FindCopyItem::ListingAnswer::Retry;
            });
            CHECK(listing.listed);
            CHECK_EQ(listing.questions, row.times);
            CHECK_EQ(breakage->broken, row.times);
            for (size_t i = 0; i < errors.size(); ++i) {
                CHECK_EQ(errors[i], uint32_t{ERROR_ACCESS_DENIED});
                CHECK(paths[i] == src + row.folder);
            }
            CHECK_EQ(Picture(listing.items.Tree(0)), Picture(whole.items.Tree(0)));
            CHECK_EQ(listing.items.itemCount, whole.items.itemCount);
            CHECK_EQ(listing.items.totalBytes, whole.items.totalBytes);
            CheckAgainstDisk(listing.items.Tree(0));
        }
    }
}

TEST_CASE("skip leaves the folder out with everything listed of it, and a move never removes it") {
    struct Row {
        const char* name;
        int entriesFirst;
        bool move;
        std::string picture;
    };
    const Row rows[] = {
        {"refused, copy", -1, false,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\"", "    Folder \"d\" *", "    File \"z.txt\""})},
        {"broken off after e.txt, copy", 3, false,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\"", "    Folder \"d\" *", "      File \"e.txt\" *",
                "    File \"z.txt\""})},
        {"refused, move", -1, true,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\"", "      DeleteFile \"\"", "    Folder \"d\" *",
                "    File \"z.txt\"", "      DeleteFile \"\"", "    RemoveFolder \"\""})},
        {"broken off after g, move", 5, true,
         Lines({"Root", "  Folder \"\"", "    File \"a.txt\"", "      DeleteFile \"\"", "    Folder \"d\" *",
                "      File \"e.txt\" *", "        DeleteFile \"\" *", "      File \"f.txt\" *",
                "        DeleteFile \"\" *", "      Folder \"g\" *", "        RemoveFolder \"\" *", "    File \"z.txt\"",
                "      DeleteFile \"\"", "    RemoveFolder \"\""})},
    };
    TempDir dir;
    const std::wstring src = MakeTree(dir);
    for (const Row& row : rows) {
        CONTEXT(row.name);
        auto breakage = std::make_shared<Breakage>();
        breakage->pattern = src + L"\\d\\*";
        breakage->entriesFirst = row.entriesFirst;
        const Listing listing =
            List(src, row.move, breakage, [](const Marlin::WindowsFileException&) { return FindCopyItem::ListingAnswer::Skip; });
        CHECK(listing.listed);
        CHECK_EQ(listing.questions, 1);
        CHECK_EQ(SkipPicture(listing.items), row.picture);
    }
}

TEST_CASE("a source that cannot be searched and is skipped gives a tree without items; a stop leaves the walk") {
    TempDir dir;
    const std::wstring src = MakeTree(dir);
    {
        CONTEXT("skip");
        auto breakage = std::make_shared<Breakage>();
        breakage->pattern = src;
        const Listing listing =
            List(src, true, breakage, [](const Marlin::WindowsFileException&) { return FindCopyItem::ListingAnswer::Skip; });
        CHECK(listing.listed);
        CHECK_EQ(SkipPicture(listing.items), std::string("Root\n"));
        CHECK_EQ(listing.items.itemCount, int64_t{0});
    }
    {
        CONTEXT("stop");
        auto breakage = std::make_shared<Breakage>();
        breakage->pattern = src + L"\\d\\*";
        breakage->entriesFirst = 4;
        struct Stop {};
        bool stopped = false;
        try {
            List(src, false, breakage, [](const Marlin::WindowsFileException&) -> FindCopyItem::ListingAnswer { throw Stop{}; });
        } catch (const Stop&) {
            stopped = true;
        }
        CHECK(stopped);
    }
}
