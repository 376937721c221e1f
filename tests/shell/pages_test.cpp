// The wizard pages' stores and checks, the browse results and the save
// question, without windows: the message boxes are answered by a script.
#include "shell/pages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "tests/support/support.h"

namespace {

// Answers every box with `answer` and keeps what the last one showed.
struct ScriptedBoxes {
  static int answer, count;
  static std::string text, caption;
  static unsigned flags;
  explicit ScriptedBoxes(int reply) {
    answer = reply;
    count = 0;
    text = caption = "";
    flags = 0;
    PlatformSetMessageBoxHook(Record);
  }
  ~ScriptedBoxes() { PlatformSetMessageBoxHook(nullptr); }
  static int Record(PlatformOwner owner, const char* t, const char* c, unsigned f) {
    EXPECT_EQ(owner, PLATFORM_OWNER_ACTIVE_WINDOW) << c;
    ++count;
    text = t;
    caption = c;
    flags = f;
    return answer;
  }
};
int ScriptedBoxes::answer, ScriptedBoxes::count;
std::string ScriptedBoxes::text, ScriptedBoxes::caption;
unsigned ScriptedBoxes::flags;

const unsigned kWarning = PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION;

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
  const char* S = source.c_str();
  const LeaveCase cases[] = {
      {2, {" \t", ""}, true, 0, false, {" \t", ""}, "No Project name."},
      {2, {" \t", ""}, false, 0, true, {" \t", ""}, ""},
      {2, {" a/b ", "c:/x//p.vqx"}, true, 0, true, {" a\\b ", "c:\\x\\p.vqx"}, ""},
      {3, {S}, true, 0, true, {slashed.c_str()}, ""},
      {3, {slashed.c_str()}, true, 0, true, {slashed.c_str()}, ""},
      {3, {S}, false, 0, true, {S}, ""},
      {3, {"C:\\no\\such"}, false, 0, true, {"C:\\no\\such"}, ""},
      {3, {"C:\\no\\such"}, true, 0, false, {"C:\\no\\such"}, "No source folder."},
      {3, {file.c_str()}, true, 0, false, {file.c_str()}, "No source folder."},
      {3, {""}, true, 0, false, {""}, "No source folder."},
      {6, {"*AppDir*", "", "C:\\Out\\My.Setup"}, false, 0, true, {"*AppDir*", "", "C:\\Out\\My.exe"}, ""},
      {6, {"", "", ""}, false, 0, true, {"", "", ""}, ""},
      {6, {"", "", "x.exe"}, true, 0, false, {"", "", "x.exe"}, "No extraction path."},
      {6, {"*AppDir*", "", "C:/Out/setup.exe"}, true, 0, false,
       {"*AppDir*", "", "C:\\Out\\setup.exe"}, "Duplicate file name."},
      {6, {"*AppDir*", "", typedOut.c_str()}, true, PLATFORM_IDNO, false,
       {"*AppDir*", "", out.c_str()}, "File already exists."},
      {6, {"*AppDir*", "", out.c_str()}, true, PLATFORM_IDYES, true,
       {"*AppDir*", "", out.c_str()}, "File already exists."},
  };
  for (const LeaveCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.boxes[0] + (c.next ? " next" : " back"));
    Wizard w;
    ProjectRecord* r = w.record.get();
    CopyText(r->SourceFolder, VQ_TEXT_SIZE, slashed.c_str());
    ScriptedBoxes boxes(c.answer ? c.answer : PLATFORM_IDOK);
    bool left = false;
    const char* fields[3] = {};
    if (c.page == 2) {
      left = LeaveProjectPage(r, c.boxes[0], c.boxes[1], c.next);
      fields[0] = r->ProjectName, fields[1] = r->ProjectFilePath;
    } else if (c.page == 3) {
      left = LeaveSourcePage(r, c.boxes[0], c.next);
      fields[0] = r->SourceFolder;
    } else {
      OutputPageBoxes typed = {c.boxes[0], c.boxes[1], c.boxes[2]};
      left = LeaveOutputPage(r, &typed, c.next);
      fields[0] = r->ExtractionFolder, fields[1] = r->IconFile, fields[2] = r->OutputFile;
    }
    EXPECT_EQ(left, c.leaves);
    for (int i = 0; i < 3 && fields[i]; ++i) EXPECT_STREQ(fields[i], c.stored[i]) << i;
    EXPECT_EQ(boxes.caption, c.caption);
    if (boxes.caption == "File already exists.") {
      EXPECT_EQ(boxes.text, "The Output executable file already exists.\r\nDo you want to replace it?");
      EXPECT_EQ(boxes.flags, (unsigned)(PLATFORM_MB_YESNO | PLATFORM_MB_ICONEXCLAMATION));
    } else if (boxes.count) {
      EXPECT_EQ(boxes.flags, kWarning);
    }
  }
}

TEST(Pages, OptionsPageStoresEveryControlAndWantsAPassword) {
  const struct {
    bool protect;
    const char* password;
    int level, overwrite;
    bool next, leaves;
  } cases[] = {
      {true, " \t\r\n", 9, 1, true, false}, {true, "", 0, 2, false, true},
      {false, "", 4, -1, true, true},       {true, "a/b\\\\c", 4, 0, true, true},
  };
  for (const auto& c : cases) {
    Wizard w;
    ScriptedBoxes boxes(PLATFORM_IDOK);
    OptionsPageControls controls = {true, false, c.protect, c.level, c.overwrite, c.password};
    EXPECT_EQ(LeaveOptionsPage(w.record.get(), &controls, c.next), c.leaves) << c.password;
    const ProjectRecord& r = *w.record;
    EXPECT_EQ(r.Checkbox1 * 100 + r.Checkbox2 * 10 + r.Checkbox3, 100 + (c.protect ? 1 : 0));
    EXPECT_EQ(r.CompressLevel, c.level);
    EXPECT_EQ(r.OverwriteMode, c.overwrite);
    EXPECT_STREQ(r.Password, c.password);
    EXPECT_EQ(boxes.caption, c.leaves ? "" : "No Password.");
    EXPECT_EQ(boxes.text, c.leaves ? "" : "Please select a password.");
  }
  EXPECT_EQ(TrackbarPositionOf(-3), 0);
  EXPECT_EQ(TrackbarPositionOf(12), 9);
  EXPECT_EQ(TrackbarPositionOf(5), 5);
}

TEST(Pages, BrowseChoices) {
  std::string folder = ScratchName("browsed"), project = ScratchName("p") + ".vqx";
  MakeFolder(folder);
  Wizard saved;
  CopyText(saved.record->ProjectName, VQ_TEXT_SIZE, "Loaded");
  CopyText(saved.record->ProjectFilePath, VQ_TEXT_SIZE, project.c_str());
  ASSERT_TRUE(SaveProject(saved.record.get(), saved.launch.get()));
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
  EXPECT_TRUE(TakeProjectFileChoice(r, w.launch.get(), project.c_str()));
  EXPECT_STREQ(r->ProjectName, "Loaded");
}

std::string gSavePath;  // what the save dialog "chooses"
void ChooseSavePath(char* out, size_t outSize) { CopyText(out, outSize, gSavePath.c_str()); }

TEST(Pages, SaveQuestionOnTheWayOut) {
  std::string existing = ScratchName("existing") + ".vqx", folder = ScratchName("saves") + "\\";
  MakeFolder(folder);
  const struct {
    bool opened;          // ProjectFilePath names an existing file
    int answer;
    const char* chosen;   // the save dialog's choice, in folder
    bool ends;
    const char* written;  // the file that holds the project afterwards, "" for none
  } cases[] = {
      {true, PLATFORM_IDYES, "", true, "existing"},
      {true, PLATFORM_IDNO, "", true, ""},
      {true, PLATFORM_IDCANCEL, "", false, ""},
      {false, PLATFORM_IDYES, "demo.old.vqx", true, "demo.vqx"},
      {false, PLATFORM_IDYES, "My.Projects\\demo", true, "My.Projects\\demo.vqx"},
      {false, PLATFORM_IDYES, "", true, ""},
      {false, PLATFORM_IDNO, "", true, ""},
      {false, PLATFORM_IDCANCEL, "", false, ""},
  };
  MakeFolder(folder + "My.Projects");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.answer) + " " + c.chosen);
    ASSERT_TRUE(WriteRawFile(existing, "[Varnoquist]\r\nVersion=1.2\r\nStale=1\r\n"));
    Wizard w;
    CopyText(w.record->ProjectName, VQ_TEXT_SIZE, "Saved");
    CopyText(w.record->ProjectFilePath, VQ_TEXT_SIZE, c.opened ? existing.c_str() : "");
    gSavePath = c.chosen[0] ? folder + c.chosen : "";
    std::string before = ListFolder(folder) + ListFolder(folder + "My.Projects\\");
    ScriptedBoxes boxes(c.answer);
    EXPECT_EQ(AskToSaveProject(w.record.get(), w.launch.get(), ChooseSavePath), c.ends);
    EXPECT_EQ(boxes.count, 1);
    EXPECT_EQ(boxes.flags, (unsigned)(PLATFORM_MB_YESNOCANCEL | PLATFORM_MB_ICONQUESTION));
    if (c.opened) {
      EXPECT_EQ(boxes.caption, "Save Project File.");
      EXPECT_EQ(boxes.text, "Would you like to save the changes\r\nyou made to the project file?");
    } else {
      EXPECT_EQ(boxes.caption, "Save Project.");
      EXPECT_EQ(boxes.text, "Would you like to save your project?");
    }
    std::string saved = !c.written[0] ? "" : c.opened ? existing : folder + c.written;
    std::string existingText = ReadRawFile(existing);
    EXPECT_EQ(existingText.find("Stale") == std::string::npos, saved == existing);
    if (!saved.empty()) {
      EXPECT_NE(ReadRawFile(saved).find("ProjectName=Saved"), std::string::npos);
      EXPECT_STREQ(w.record->ProjectFilePath, saved.c_str());
      RemoveTree(saved);
    }
    EXPECT_EQ(ListFolder(folder) + ListFolder(folder + "My.Projects\\"), before);
  }
}

}  // namespace
