// The wizard pages' stores and checks, the browse results and the save
// question, without windows: the message boxes are answered by a script.
#include "shell/pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "services/paths.h"
#include "tests/support/support.h"

namespace {

const unsigned kWarning = PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION;
const unsigned kSaveQuestion = PLATFORM_MB_YESNOCANCEL | PLATFORM_MB_ICONQUESTION;
// Every box of the pages: caption, text, buttons and icon.
const struct { const char *caption, *text; unsigned flags; } kBoxes[] = {
    {"No Project name.", "Please select a name for your project.", kWarning},
    {"No source folder.", "Please select a valid source folder.", kWarning},
    {"No Password.", "Please select a password.", kWarning},
    {"No extraction path.", "Please select an extraction path for the files.", kWarning},
    {"Invalid icon.", "The icon you selected doesn't exist or isn't 32x32 pixels and 256 colours.", kWarning},
    {"No output file.", "Please select an output executable file.", kWarning},
    {"Duplicate file name.", "Please select a different name for the output executable file.", kWarning},
    {"File already exists.", "The Output executable file already exists.\r\nDo you want to replace it?",
     PLATFORM_MB_YESNO | PLATFORM_MB_ICONEXCLAMATION},
    {"Save Project File.", "Would you like to save the changes\r\nyou made to the project file?", kSaveQuestion},
    {"Save Project.", "Would you like to save your project?", kSaveQuestion},
    {"File not found!", "Failed to find the Varnoquist help file.", kWarning},
    {"Unsupported Project file.", "The version of the project file you selected may not be fully supported.", kWarning},
};

// Expects the last box shown to be the one captioned caption ("": none).
void ExpectShown(const RecordedMessageBoxes& shown, const std::string& caption) {
  std::string expected;
  for (const auto& box : kBoxes)
    if (caption == box.caption) expected = BoxSeen(box.caption, box.text, box.flags, PLATFORM_OWNER_ACTIVE_WINDOW);
  EXPECT_EQ(shown.last(), expected);
}

struct Wizard {
  std::unique_ptr<ProjectRecord> record{new ProjectRecord};
  std::unique_ptr<LaunchList> launch{new LaunchList};
  Wizard() { InitProject(record.get(), launch.get()); }
};

// One Next or Back of pages 2, 3 and 6: the boxes as typed, what the record
// holds afterwards, and the box shown ("" for none).
struct LeaveCase {
  int page;
  const char* boxes[3];  // page 2: name, path; page 3: folder; page 6: its three boxes
  bool next;
  int answer;            // the reply to a question
  bool leaves;
  const char* stored[3];
  const char* caption;
};

TEST(Pages, NextChecksAndBackStores) {
  std::string source = ScratchName("source");
  MakeTree(source + "\\", {{"setup.exe", "MZ"}, {"a.txt", "a"}});
  std::string file = source + "\\a.txt", out = ScratchName("out") + ".exe";
  ASSERT_TRUE(WriteRawFile(out, "old"));
  std::string slashed = source + "\\", typedOut = out.substr(0, out.size() - 4) + ".setup";
  std::string icons = ScratchName("icons") + "\\", good = icons + "2238.ico", small = icons + "766.ico";
  const std::string named = icons + "2*.ico";  // a pattern
  MakeTree(icons, {{"2238.ico", std::string(2238, 'x')}, {"766.ico", std::string(766, '\0')}});
  const char* S = source.c_str();
  // A relative path is stored joined to the folder that is current when the page is left.
  char current[VQ_TEXT_SIZE];
  ASSERT_TRUE(PlatformCurrentFolder(current, sizeof current));
  const std::string here = current, hereX = here + "x.exe", hereSetup = here + "setup.exe",
                    hereSuch = here + "no\\such";
  const LeaveCase cases[] = {
      {2, {" \t", ""}, true, 0, false, {" \t", ""}, "No Project name."},
      {2, {" \t", ""}, false, 0, true, {" \t", ""}, ""},
      {2, {" a/b ", "c:/x//p.vqx"}, true, 0, true, {" a\\b ", "c:\\x\\p.vqx"}, ""},
      {3, {S}, true, 0, true, {slashed.c_str()}, ""},
      {3, {slashed.c_str()}, true, 0, true, {slashed.c_str()}, ""},
      {3, {S}, false, 0, true, {S}, ""},
      {3, {"no//such"}, false, 0, true, {hereSuch.c_str()}, ""},
      {3, {"C:\\no\\such"}, true, 0, false, {"C:\\no\\such"}, "No source folder."},
      {3, {file.c_str()}, true, 0, false, {file.c_str()}, "No source folder."},
      {3, {""}, true, 0, false, {""}, "No source folder."},
      {6, {"*AppDir*", "", "C:\\Out\\My.Setup"}, false, 0, true, {"*AppDir*", "", "C:\\Out\\My.exe"}, ""},
      {6, {"", "", ""}, false, 0, true, {"", "", ""}, ""},
      {6, {" \t", "", "x.exe"}, true, 0, false, {" \t", "", hereX.c_str()}, "No extraction path."},
      // An icon of 2238 bytes is taken whatever it holds, one of another size refused, none taken.
      {6, {"*AppDir*", small.c_str(), "x.exe"}, true, 0, false, {"*AppDir*", small.c_str(), hereX.c_str()}, "Invalid icon."},
      {6, {"*AppDir*", named.c_str(), "C:\\Out\\new.exe"}, true, 0, true,  // the size of the file it matches
       {"*AppDir*", named.c_str(), "C:\\Out\\new.exe"}, ""},
      {6, {"*AppDir*", "", " "}, true, 0, false, {"*AppDir*", "", " "}, "No output file."},
      // The name given the .exe ending meets the source folder's, wherever the output goes.
      {6, {"*AppDir*", " ", "C:/Out/setup.exe"}, true, 0, false,
       {"*AppDir*", " ", "C:\\Out\\setup.exe"}, "Duplicate file name."},
      {6, {"*AppDir*", "", "setup.bin"}, true, 0, false, {"*AppDir*", "", hereSetup.c_str()}, "Duplicate file name."},
      {6, {"*AppDir*", good.c_str(), typedOut.c_str()}, true, PLATFORM_IDNO, false,
       {"*AppDir*", good.c_str(), out.c_str()}, "File already exists."},
      {6, {"*AppDir*", "", out.c_str()}, true, PLATFORM_IDYES, true,
       {"*AppDir*", "", out.c_str()}, "File already exists."},
  };
  for (const LeaveCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.boxes[0] + (c.next ? " next" : " back"));
    Wizard w;
    ProjectRecord* r = w.record.get();
    CopyText(r->SourceFolder, VQ_TEXT_SIZE, slashed.c_str());
    RecordedMessageBoxes boxes(c.answer ? c.answer : PLATFORM_IDOK);
    const OutputPageBoxes typed = {c.boxes[0], c.boxes[1], c.boxes[2]};
    EXPECT_EQ(c.page == 2   ? LeaveProjectPage(r, c.boxes[0], c.boxes[1], c.next)
              : c.page == 3 ? LeaveSourcePage(r, c.boxes[0], c.next)
                            : LeaveOutputPage(r, &typed, c.next),
              c.leaves);
    const char* const kFields[][3] = {  // each page's fields, in the order of its boxes
        {r->ProjectName, r->ProjectFilePath}, {r->SourceFolder}, {r->ExtractionFolder, r->IconFile, r->OutputFile}};
    const char* const* fields = kFields[c.page == 6 ? 2 : c.page - 2];
    for (int i = 0; i < 3 && fields[i]; ++i) EXPECT_STREQ(fields[i], c.stored[i]) << i;
    ExpectShown(boxes, c.caption);
  }
}

TEST(Pages, OptionsPageStoresEveryControlAndWantsAPassword) {
  const struct { bool protect; const char* password; int level, overwrite; bool next, leaves, aes; } cases[] = {
      {true, " \t\r\n", 9, 1, true, false, false}, {true, "", 0, 2, false, true, false},
      {false, "", 4, -1, true, true, false},       {true, "a/b\\\\c", 4, 0, true, true, true},
  };
  for (const auto& c : cases) {
    Wizard w;
    RecordedMessageBoxes boxes;
    OptionsPageControls controls = {true, false, c.protect, c.level, c.overwrite, c.password, c.aes};
    EXPECT_EQ(LeaveOptionsPage(w.record.get(), &controls, c.next), c.leaves) << c.password;
    const ProjectRecord& r = *w.record;
    EXPECT_EQ(r.Checkbox1 * 100 + r.Checkbox2 * 10 + r.Checkbox3, 100 + (c.protect ? 1 : 0));
    EXPECT_EQ(r.CompressLevel, c.level);
    EXPECT_EQ(r.OverwriteMode, c.overwrite);
    EXPECT_STREQ(r.Password, c.password);
    EXPECT_STREQ(r.Encryption, c.aes ? "AES256" : "");
    ExpectShown(boxes, c.leaves ? "" : "No Password.");
  }
  EXPECT_EQ(TrackbarPositionOf(-3), 0);
  EXPECT_EQ(TrackbarPositionOf(12), 9);
  EXPECT_EQ(TrackbarPositionOf(5), 5);
}

TEST(Pages, BrowseChoices) {
  std::string folder = ScratchName("browsed"), project = ScratchName("p") + ".vqx";
  MakeFolder(folder);
  ASSERT_TRUE(WriteRawFile(project, "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Loaded\r\n"));
  Wizard w;
  ProjectRecord* r = w.record.get();
  EXPECT_TRUE(TakeSourceFolderChoice(r, folder.c_str()));
  EXPECT_EQ(std::string(r->SourceFolder), folder + "\\");
  EXPECT_FALSE(TakeSourceFolderChoice(r, ""));  // cancelled: the field empties, the box stays
  EXPECT_STREQ(r->SourceFolder, "");
  EXPECT_TRUE(TakeOutputFileChoice(r, "C:\\Out\\My.Setup"));
  EXPECT_STREQ(r->OutputFile, "C:\\Out\\My.exe");
  EXPECT_FALSE(TakeOutputFileChoice(r, ""));
  EXPECT_STREQ(r->OutputFile, "");
  EXPECT_FALSE(TakeIconFileChoice(r, "C:\\no\\such.ico"));
  EXPECT_STREQ(r->IconFile, "C:\\no\\such.ico");
  EXPECT_FALSE(TakeProjectFileChoice(r, w.launch.get(), ""));
  EXPECT_STREQ(r->ProjectFilePath, "");  // nothing loaded
  RecordedMessageBoxes boxes;
  EXPECT_TRUE(TakeProjectFileChoice(r, w.launch.get(), project.c_str()));
  EXPECT_STREQ(r->ProjectName, "Loaded");
  ExpectShown(boxes, "");
  ASSERT_TRUE(WriteRawFile(project, "[Varnoquist]\r\nVersion=1.1\r\nProjectName=Older\r\n"));
  EXPECT_TRUE(TakeProjectFileChoice(r, w.launch.get(), project.c_str()));
  EXPECT_STREQ(r->ProjectName, "Older");  // loaded all the same, and the user told
  ExpectShown(boxes, "Unsupported Project file.");
}

std::string gSavePath;  // what the save dialog "chooses"
void ChooseSavePath(char* out, size_t outSize) { CopyText(out, outSize, gSavePath.c_str()); }

TEST(Pages, SaveQuestionOnTheWayOut) {
  std::string existing = ScratchName("existing") + ".vqx", folder = ScratchName("saves") + "\\";
  MakeTree(folder, {{"notes.vqx", "mine"}});
  // kBlocked: a project file no save can replace; kFailedBefore: the project file of that failed save.
  enum Opened { kNew, kProject, kOther, kBlocked, kFailedBefore };
  const struct {
    Opened opened;        // what ProjectFilePath names
    int answer;
    const char* chosen;   // the save dialog's choice, in folder
    bool ends;
    const char* written;  // the file that holds the project afterwards, "" for none
  } cases[] = {
      {kProject, PLATFORM_IDYES, "", true, "existing"},
      {kProject, PLATFORM_IDNO, "", true, ""},
      {kProject, PLATFORM_IDCANCEL, "", false, ""},
      {kNew, PLATFORM_IDYES, "demo.old.vqx", true, "demo.vqx"},
      {kNew, PLATFORM_IDYES, "My.Projects\\demo", true, "My.Projects\\demo.vqx"},
      {kNew, PLATFORM_IDYES, "", true, ""},
      {kNew, PLATFORM_IDNO, "", true, ""},
      {kNew, PLATFORM_IDCANCEL, "", false, ""},
      // Only a project file is written over; a save that fails says so and keeps the page.
      {kOther, PLATFORM_IDYES, "demo", true, "demo.vqx"},
      {kNew, PLATFORM_IDYES, "notes.txt", false, ""},
      {kNew, PLATFORM_IDYES, "gone\\demo", false, ""},
      {kBlocked, PLATFORM_IDYES, "", false, ""},
      {kFailedBefore, PLATFORM_IDNO, "", true, ""},  // the way out after it asks for a place
  };
  MakeFolder(folder + "My.Projects");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.answer) + " " + c.chosen);
    const std::string before = c.opened == kOther ? "plain text" : "[Varnoquist]\r\nVersion=1.2\r\nStale=1\r\n";
    ASSERT_TRUE(WriteRawFile(existing, before));
    for (char last : std::string(c.opened == kBlocked ? "~0123456789" : ""))
      MakeFolder(existing.substr(0, existing.size() - 1) + last);
    Wizard w;
    CopyText(w.record->ProjectName, VQ_TEXT_SIZE, "Saved");
    CopyText(w.record->ProjectFilePath, VQ_TEXT_SIZE, c.opened != kNew ? existing.c_str() : "");
    gSavePath = c.chosen[0] ? folder + c.chosen : "";
    std::string listed = ListFolder(folder) + ListFolder(folder + "My.Projects\\");
    RecordedMessageBoxes boxes(c.answer);
    EXPECT_EQ(AskToSaveProject(w.record.get(), w.launch.get(), ChooseSavePath), c.ends);
    EXPECT_EQ(boxes.count(), c.ends ? 1 : c.answer == PLATFORM_IDCANCEL ? 1 : 2);
    if (!c.ends && c.answer == PLATFORM_IDYES) {
      EXPECT_EQ(boxes.last(), BoxSeen("Failed", "Failed to save the project file.\r\n" + std::string(w.record->ProjectFilePath),
                                      PLATFORM_MB_OK | PLATFORM_MB_ICONSTOP, PLATFORM_OWNER_ACTIVE_WINDOW));
    } else {
      ExpectShown(boxes, c.opened == kProject ? "Save Project File." : "Save Project.");
    }
    std::string saved = !c.written[0] ? "" : c.opened == kProject ? existing : folder + c.written;
    EXPECT_EQ(ReadRawFile(existing) == before, saved != existing);
    if (!saved.empty()) {
      EXPECT_NE(ReadRawFile(saved).find("ProjectName=Saved"), std::string::npos);
      EXPECT_STREQ(w.record->ProjectFilePath, saved.c_str());
      RemoveTree(saved);
    }
    EXPECT_EQ(ListFolder(folder) + ListFolder(folder + "My.Projects\\"), listed);
    EXPECT_EQ(ReadRawFile(folder + "notes.vqx"), "mine");
  }
}

// Help opens the help file where it is, else the help page in the browser, else says it is missing.
TEST(Pages, Help) {
  char folder[VQ_TEXT_SIZE];
  ASSERT_TRUE(AppFolder(folder, sizeof folder));
  static std::string opened;  // as "file|PATH" or "page|PATH"
  const std::string help = folder + std::string("Help\\");
  const struct {
    std::vector<std::string> files;
    std::string opened;  // "": neither, and the message
  } cases[] = {{{"VARNOQUIST.HLP", "index.html"}, "file|" + help + "VARNOQUIST.HLP"},
               {{"index.html"}, "page|" + help + "index.html"},
               {{}, ""}};
  for (const auto& c : cases) {
    RemoveTree(help);
    for (const auto& name : c.files) MakeTree(help, {{name, "x"}});
    RecordedMessageBoxes boxes;
    opened.clear();
    EXPECT_EQ(OpenHelp([](const char* path, bool page) { opened = (page ? "page|" : "file|") + std::string(path); }),
              !c.opened.empty());
    EXPECT_EQ(opened, c.opened);
    ExpectShown(boxes, c.opened.empty() ? "File not found!" : "");
  }
  RemoveTree(help);
}

}  // namespace
