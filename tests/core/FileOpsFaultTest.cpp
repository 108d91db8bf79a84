// Runs the copy, move and delete engine over small trees with every file-system
// call failing in turn (once, lastingly, or together with a second one), a
// cancel at every check, a question answered late at every question, another
// program changing the trees mid-run, many prompt answers, the prompts
// skipping and collecting, and verified copies with a corrupted write or
// read-back at every one, and checks after each run that no data was lost,
// half-written or misreported (each entry's result and problems against the
// disk). Every run must have met what it injects.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <future>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "core/fileops/Engine.h"
#include "core/fileops/MemoryFileSystem.h"
#include "core/fileops/RunReport.h"
#include "core/text/CaseFold.h"
#include "tests/core/FileOpsTestSupport.h"

namespace px {
namespace {

using Snap = std::map<std::string, SnapshotEntry>;

std::string Body(const std::string& tag, size_t size) {
  std::string body = "<" + tag + ">";
  while (body.size() < size) body += static_cast<char>('a' + body.size() % 23);
  body.resize(size);
  return body;
}

// Every scenario has these drives, and a folder beside the runs that no run
// may touch (another program turns a walked folder into a link to it).
void Volumes(MemoryFileSystem& fs) {
  fs.AddVolume("C:\\", 0xC0C0);
  fs.AddVolume("D:\\", 0xD0D0);
  fs.AddVolume("E:\\", 0xE0E0, 4000);
  (void)fs.AddAlias("Z:\\", "C:\\");
  fs.AddFile("C:\\outside\\victim.txt", Body("victim", 40));
  fs.AddFolder("C:\\outside\\empty\\");
}

void BuildFiles(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a.txt", Body("a", 1500));
  fs.AddFile("C:\\src\\b.txt", Body("b", 10), kAttrReadOnly | kAttrArchive);
  fs.AddFile("C:\\src\\e.txt", "");
  fs.AddFile("C:\\src\\big.bin", Body("big", 2800));
  fs.AddFile("D:\\dst\\B.TXT", Body("oldB", 40), kAttrReadOnly);
  fs.AddFile("D:\\dst\\a.txt", Body("oldA", 700));
  fs.AddFile("C:\\dst\\A.TXT", Body("oldA2", 30), kAttrReadOnly);
  fs.AddFile("C:\\dst\\b.txt", Body("oldb2", 20));
  fs.AddFile("E:\\dst\\a.txt", Body("oldE", 1000));
}

void BuildTree(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\tree\\f1", Body("f1", 2000), kAttrArchive | kAttrHidden);
  fs.AddFile("C:\\src\\tree\\sub\\g", Body("g", 300), kAttrReadOnly);
  fs.AddFile("C:\\src\\tree\\sub\\deep\\h", Body("h", 5));
  fs.AddFolder("C:\\src\\tree\\zz\\");
  fs.AddFile("C:\\src\\top.txt", Body("top", 100));
  fs.AddFile("D:\\dst\\tree\\sub\\G", Body("oldg", 50), kAttrReadOnly);
  fs.AddFile("D:\\dst\\tree\\zz", Body("blocker", 9));
  fs.AddFile("C:\\dst\\tree\\f1", Body("oldf1", 64));
  fs.AddFolder("C:\\src\\tree2\\");
}

void BuildLinks(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\tree\\f", Body("f", 50));
  fs.AddFile("C:\\outside\\keep.txt", Body("keep", 20));
  (void)fs.AddFolderLink("C:\\src\\tree\\loop", "C:\\src\\tree\\");
  (void)fs.AddFolderLink("C:\\src\\tree\\out", "C:\\outside\\");
  (void)fs.AddFolderLink("C:\\src\\lnk", "C:\\outside\\");
  (void)fs.AddFolderLink("C:\\src\\elnk", "C:\\outside\\empty\\");
  fs.AddFolder("D:\\dst\\");
}

// A link beside the source that leads back inside it.
void BuildLinkBack(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\tree\\f", Body("f", 70));
  fs.AddFile("C:\\src\\tree\\sub\\g", Body("g", 30));
  (void)fs.AddFolderLink("C:\\c\\b", "C:\\src\\tree\\sub\\");
}

void BuildSame(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a.txt", Body("a", 80));
  fs.AddFile("C:\\src\\h1", Body("h1", 60));
  (void)fs.AddHardLink("C:\\src\\h1", "C:\\src\\h2");
}

void BuildThree(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a", Body("a", 30), kAttrReadOnly);
  fs.AddFile("C:\\src\\b", Body("b", 1100));
  fs.AddFile("C:\\src\\c", Body("c", 50));
}

// The row "Report.txt" of a panel that has not seen it deleted; what is left
// is another spelling.
void BuildStale(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\report.txt", Body("lower", 90));
  fs.AddFile("C:\\src\\x", Body("x", 30));
  fs.AddFolder("D:\\dst\\");
}

// Two names that differ only in case, as a case-sensitive file system holds them.
void BuildCase(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\Report.txt", Body("upper", 80));
  fs.AddFile("C:\\src\\report.txt", Body("lower", 90));
  fs.AddFolder("D:\\dst\\");
}

// Names a trailing dot or blank tells apart from their neighbours.
void BuildDots(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a", Body("a", 40));
  fs.AddFile("C:\\src\\a.", Body("a-dot", 50));
  fs.AddFile("C:\\src\\b", Body("b", 40));
  fs.AddFile("C:\\src\\b ", Body("b-blank", 60));
  fs.AddFolder("D:\\dst\\");
}

// A name holding "\", two names that list alike, and a folder holding each.
void BuildHostile(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\sub\\evil", Body("inner-evil", 30));
  fs.AddFile("C:\\evil", Body("top-evil", 30));
  (void)fs.AddFileListedAs("C:\\src\\subevil", "sub\\evil", Body("hostile", 20));
  (void)fs.AddFileListedAs("C:\\src\\bad1", "bad\xEF\xBF\xBD.txt", Body("one", 20));
  (void)fs.AddFileListedAs("C:\\src\\bad2", "bad\xEF\xBF\xBD.txt", Body("two", 25));
  fs.AddFile("C:\\src\\tree\\ok", Body("ok", 40));
  (void)fs.AddFileListedAs("C:\\src\\tree\\xy", "x\\y", Body("xy", 10));
  fs.AddFile("C:\\src\\tree\\x\\y", Body("x-y", 10));
  fs.AddFile("C:\\src\\twins\\ok", Body("ok2", 40));
  (void)fs.AddFileListedAs("C:\\src\\twins\\t1", "t\xEF\xBF\xBD", Body("t1", 10));
  (void)fs.AddFileListedAs("C:\\src\\twins\\t2", "t\xEF\xBF\xBD", Body("t2", 10));
  fs.AddFile("C:\\src\\plain", Body("plain", 60));
  fs.AddFolder("D:\\dst\\");
}

// Files on a drive whose bin takes files of up to 1 000 bytes: one is asked
// about before the run, one (in a folder) when the bin refuses it.
void BuildSmallBin(MemoryFileSystem& fs) {
  fs.AddFile("C:\\src\\a.txt", Body("a", 1500));
  fs.AddFile("C:\\src\\e.txt", "");
  fs.AddFile("C:\\src\\tree\\f1", Body("f1", 2000));
  fs.AddFile("C:\\src\\tree\\g", Body("g", 300), kAttrReadOnly);
  fs.SetRecycleBin("C:\\", true, 1000);
}

// Files and a folder on a drive without a bin.
void BuildNoBin(MemoryFileSystem& fs) {
  BuildTree(fs);
  fs.SetRecycleBin("C:\\", false);
}

struct Scenario {
  const char* name;
  void (*build)(MemoryFileSystem&);
  OperationKind kind;
  std::vector<std::string> names;
  const char* targetFolder;
  const char* newName;
  bool recycle;
  std::vector<std::string> keep = {};  // must come out exactly as they were
  bool linksOnlyFollowed = false;      // a platform that cannot remove a link itself
};

const char kBase[] = "C:\\src\\";
const OperationKind kCopy = OperationKind::kCopy;
const OperationKind kMove = OperationKind::kMove;
const OperationKind kDelete = OperationKind::kDelete;
const char kTwin[] = "bad\xEF\xBF\xBD.txt";

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios = {
      {"copy files to another drive", BuildFiles, kCopy, {"a.txt", "b.txt", "e.txt"}, "D:\\dst\\", "", false},
      {"move files to another drive", BuildFiles, kMove, {"a.txt", "b.txt", "e.txt"}, "D:\\dst\\", "", false},
      {"copy files on one drive", BuildFiles, kCopy, {"a.txt", "b.txt"}, "C:\\dst\\", "", false},
      {"move files on one drive", BuildFiles, kMove, {"a.txt", "b.txt", "e.txt"}, "C:\\dst\\", "", false},
      {"copy onto a full disk", BuildFiles, kCopy, {"a.txt", "big.bin"}, "E:\\dst\\", "", false},
      {"move onto a full disk", BuildFiles, kMove, {"big.bin", "a.txt"}, "E:\\dst\\", "", false},
      {"delete files", BuildFiles, kDelete, {"a.txt", "b.txt", "e.txt"}, "", "", false},
      {"recycle files", BuildFiles, kDelete, {"b.txt", "a.txt"}, "", "", true},
      {"copy tree to another drive", BuildTree, kCopy, {"tree", "top.txt"}, "D:\\dst\\", "", false},
      {"move tree to another drive", BuildTree, kMove, {"tree", "top.txt"}, "D:\\dst\\", "", false},
      {"copy tree on one drive", BuildTree, kCopy, {"tree", "top.txt"}, "C:\\dst\\", "", false},
      {"move tree on one drive", BuildTree, kMove, {"tree", "top.txt"}, "C:\\dst\\", "", false},
      {"move tree under a new name", BuildTree, kMove, {"tree"}, "D:\\", "renamed", false},
      {"delete tree", BuildTree, kDelete, {"top.txt", "tree"}, "", "", false},
      {"recycle tree", BuildTree, kDelete, {"tree"}, "", "", true},
      {"recycle past a small bin", BuildSmallBin, kDelete, {"e.txt", "a.txt", "tree"}, "", "", true},
      {"recycle without a bin", BuildNoBin, kDelete, {"top.txt", "tree"}, "", "", true},
      {"copy tree into itself", BuildTree, kCopy, {"tree", "top.txt"}, "C:\\src\\tree\\sub\\", "", false},
      {"copy tree into its sibling", BuildTree, kCopy, {"tree"}, "C:\\src\\tree2\\", "", false},
      {"move tree below itself by alias", BuildTree, kMove, {"tree", "top.txt"}, "Z:\\SRC\\tree\\new\\", "", false},
      {"copy tree into a link to itself", BuildLinkBack, kCopy, {"tree"}, "C:\\c\\b\\", "", false},
      {"move tree into a link to itself", BuildLinkBack, kMove, {"tree"}, "C:\\c\\b\\", "", false},
      {"copy links", BuildLinks, kCopy, {"lnk", "tree"}, "D:\\dst\\", "", false},
      {"move links", BuildLinks, kMove, {"tree", "lnk"}, "D:\\dst\\", "", false},
      {"delete links", BuildLinks, kDelete, {"tree", "lnk", "elnk"}, "", "", false},
      {"delete links that only lead on", BuildLinks, kDelete, {"elnk", "lnk"}, "", "", false, {}, true},
      {"copy onto itself by alias", BuildSame, kCopy, {"a.txt", "h1"}, "Z:\\SRC\\", "", false},
      {"move onto itself by case", BuildSame, kMove, {"a.txt"}, "C:\\src\\", "A.TXT", false},
      {"copy onto a hard link", BuildSame, kCopy, {"h1"}, "C:\\src\\", "H2", false},
      {"move onto a hard link", BuildSame, kMove, {"h2"}, "C:\\src\\", "h1", false},
      {"copy three to one name", BuildThree, kCopy, {"a", "b", "c"}, "D:\\", "x", false},
      {"move three to one name", BuildThree, kMove, {"a", "b", "c"}, "D:\\", "x", false},
      {"move three to one name on one drive", BuildThree, kMove, {"c", "b", "a"}, "C:\\", "x", false},
      {"delete a stale row", BuildStale, kDelete, {"Report.txt", "x"}, "", "", false, {"C:\\src\\report.txt"}},
      {"move a stale row", BuildStale, kMove, {"x", "Report.txt"}, "D:\\dst\\", "", false, {"C:\\src\\report.txt"}},
      {"delete one of two spellings", BuildCase, kDelete, {"report.txt"}, "", "", false, {"C:\\src\\Report.txt"}},
      {"move one of two spellings", BuildCase, kMove, {"Report.txt"}, "D:\\dst\\", "", false, {"C:\\src\\report.txt"}},
      {"move names ending in a dot or blank", BuildDots, kMove, {"a.", "b "}, "D:\\dst\\", "", false,
       {"C:\\src\\a", "C:\\src\\b"}},
      {"delete names ending in a dot or blank", BuildDots, kDelete, {"b ", "a."}, "", "", false,
       {"C:\\src\\a", "C:\\src\\b"}},
      {"delete hostile names", BuildHostile, kDelete, {"sub\\evil", kTwin, "tree", "twins", "plain"}, "", "", false,
       {"C:\\src\\sub\\evil", "C:\\evil", "C:\\src\\subevil", "C:\\src\\bad1", "C:\\src\\bad2", "C:\\src\\tree\\ok",
        "C:\\src\\tree\\xy", "C:\\src\\tree\\x\\y", "C:\\src\\twins\\ok"}},
      {"copy hostile names", BuildHostile, kCopy, {"plain", kTwin, "tree", "sub\\evil", "twins"}, "D:\\dst\\", "", false,
       {"C:\\src\\sub\\evil", "C:\\evil", "C:\\src\\subevil", "C:\\src\\bad1", "C:\\src\\bad2"}},
      {"move hostile names", BuildHostile, kMove, {"tree", "twins", "sub\\evil", kTwin, "plain"}, "D:\\dst\\", "", false,
       {"C:\\src\\sub\\evil", "C:\\evil", "C:\\src\\subevil", "C:\\src\\bad1", "C:\\src\\bad2", "C:\\src\\tree\\ok",
        "C:\\src\\tree\\xy", "C:\\src\\tree\\x\\y", "C:\\src\\twins\\ok"}},
  };
  return scenarios;
}

// What another program does to the trees while a run goes on.
enum class Disturbance {
  kNone,
  kAddFile,     // a new file in the first selected folder
  kRemoveFile,  // a file of it goes away
  kLinkFolder,  // a folder of it is moved aside and a link to C:\outside put in its place
  kSwapFolder,  // ... and another folder (holding a file of its own) put in its place
};

struct SweepRun {
  const Scenario* scenario = nullptr;
  AnswerPolicy policy;
  std::vector<Fault> faults;
  int cancelAt = 0;      // cancel at this check (0: never)
  int pauseAt = 0;       // pause at this check, resumed from another thread a moment later
  int cancelAtCall = 0;  // or when this file-system call starts, as a click may come at any time
  Disturbance disturbance = Disturbance::kNone;
  int disturbAtCall = 0;
  int postponeAt = 0;    // this question (or message) is answered late, from another thread
  bool collect = false;  // the prompts skip and collect
  bool verify = false;   // copies are read back
};

struct Outcome {
  int checks = 0;
  int fsCalls = 0;
  int questions = 0;  // questions and messages
  bool verifyMismatch = false;  // a copy that did not read back was noted
  size_t failuresAsked = 0;
  uint32_t bytesCorrupted = 0;
  std::array<uint32_t, static_cast<size_t>(FsOp::kCount)> calls{};
  uint64_t trace = 0;  // the calls made and the answers given, hashed
  Snap after;
  std::vector<EntryOutcome> entries;
};

// The key a path has in a snapshot: the drive folded (the alias drive read as
// the drive it shows), every name as given.
std::string SnapKey(const std::string& path) {
  std::string key = path;
  if (key.size() >= 2 && key[1] == ':') {
    key[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[0])));
    if (key[0] == 'z') key[0] = 'c';
  }
  return key;
}

bool Within(const std::string& key, const std::string& entry) {
  return key == entry || key == entry + "\\" || key.compare(0, entry.size() + 1, entry + "\\") == 0;
}

// A scenario built once: its file system (cloned for every run), its state
// before any run, and which files the run acts on and where each one goes.
struct Prepared {
  std::unique_ptr<MemoryFileSystem> fs;
  Snap before;
  std::map<std::string, std::string> sourceBody;           // source key -> bytes
  std::map<std::string, uint32_t> sourceAttributes;        // source key -> its bits
  std::map<std::string, std::string> targetOf;             // source key -> target key
  std::map<std::string, std::set<std::string>> bodiesFor;  // target key -> bytes allowed
  std::vector<std::vector<std::string>> entryFiles;        // per entry: its source keys
  std::vector<std::vector<std::string>> entryFolders;      // per entry: its folders (not links)
  std::map<std::string, std::string> folderTargetOf;       // source folder key -> target key
  std::vector<bool> entryExists;                           // listed exactly under that name
  std::string disturbed;        // the first selected folder (empty: none)
  std::string disturbedTarget;  // where the run sends it
  std::set<std::string> hasCaseTwin;  // files whose name another in their folder shares but for case
};

// Where a run writes path: every existing name in the spelling it is stored
// with (names match ignoring case on the target side), new names as given.
std::string StoredTarget(const Snap& before, const std::string& path) {
  std::string key = SnapKey(path);
  std::string out = key.substr(0, 3);
  size_t start = 3;
  while (start < key.size()) {
    size_t end = key.find('\\', start);
    const bool last = end == std::string::npos;
    std::string part = key.substr(start, last ? std::string::npos : end - start);
    std::string chosen = part;
    for (const auto& [existing, value] : before) {
      if (existing.compare(0, out.size(), out) != 0) continue;
      std::string rest = existing.substr(out.size());
      if (!rest.empty() && rest.back() == '\\') rest.pop_back();
      if (rest.find('\\') != std::string::npos) continue;
      if (FoldName(rest) == FoldName(part)) {
        chosen = rest;
        break;
      }
    }
    out += chosen + (last ? "" : "\\");
    if (last) break;
    start = end + 1;
  }
  return out;
}

const Prepared& Prepare(const Scenario& s) {
  static std::map<const Scenario*, Prepared> cache;
  auto found = cache.find(&s);
  if (found != cache.end()) return found->second;
  Prepared& p = cache[&s];
  p.fs = std::make_unique<MemoryFileSystem>();
  Volumes(*p.fs);
  s.build(*p.fs);
  p.fs->SetLinksOnlyFollowed(s.linksOnlyFollowed);
  p.before = p.fs->Snapshot();
  std::map<std::string, std::string> folded;
  for (const auto& [key, value] : p.before) {
    auto [first, added] = folded.try_emplace(FoldName(key), key);
    if (!added) p.hasCaseTwin.insert({first->second, key});
  }
  p.entryFiles.resize(s.names.size());
  p.entryFolders.resize(s.names.size());
  for (size_t i = 0; i < s.names.size(); ++i) {
    const std::string entry = SnapKey(std::string(kBase) + s.names[i]);
    const bool addressable = s.names[i].find('\\') == std::string::npos;
    const bool isFile = addressable && p.before.count(entry) != 0;
    auto folder = p.before.find(entry + "\\");
    const bool isFolder = addressable && folder != p.before.end();
    p.entryExists.push_back(isFile || isFolder);
    if (!isFile && !isFolder) continue;
    const std::string name = *s.newName ? s.newName : s.names[i];
    if (isFolder && !folder->second.link && p.disturbed.empty()) {
      p.disturbed = entry;
      p.disturbedTarget = StoredTarget(p.before, s.targetFolder + name);
    }
    if (isFolder && folder->second.link) continue;
    for (const auto& [key, value] : p.before) {
      if (!Within(key, entry)) continue;
      std::string rest = key.substr(entry.size());
      if (value.folder) {
        if (value.link) continue;
        if (!rest.empty() && rest.back() == '\\') rest.pop_back();
        p.entryFolders[i].push_back(key);
        p.folderTargetOf[key] = StoredTarget(p.before, s.targetFolder + name + rest);
        continue;
      }
      std::string target = StoredTarget(p.before, s.targetFolder + name + rest);
      p.sourceBody[key] = value.content;
      p.sourceAttributes[key] = value.attributes;
      p.targetOf[key] = target;
      p.bodiesFor[target].insert(value.content);
      p.entryFiles[i].push_back(key);
    }
  }
  return p;
}

void Mix(uint64_t& hash, const std::string& text) {
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  hash = (hash ^ 0xFF) * 1099511628211ull;
}

bool IsSkipAnswer(char kind, int value) {
  if (kind == 'f') return value == static_cast<int>(FailureAnswer::kSkip);
  if (kind == 'p') return value == static_cast<int>(PermanentAnswer::kNo);
  if (kind == 'o' || kind == 'r') {
    return value == static_cast<int>(PromptAnswer::kSkip) ||
           value == static_cast<int>(PromptAnswer::kSkipAll);
  }
  return false;
}

// Hands each question and message on; the one at postponeAt is answered on
// another thread a moment later while the engine waits, with the run paused
// meanwhile and resumed only after the answer is back: the engine holds at
// its next check until then.
class PostponingPrompts : public OperationPrompts {
 public:
  PostponingPrompts(OperationPrompts& inner, FileOperationEngine*& engine, int postponeAt, int& count)
      : inner_(inner), engine_(engine), postponeAt_(postponeAt), count_(count) {}
  ~PostponingPrompts() override { Join(); }
  void Join() {
    if (helper_.joinable()) helper_.join();
  }
  bool Postponed() const { return postponed_; }

  PromptAnswer AskOverwrite(const OverwriteQuestion& question) override {
    return Answer([&] { return inner_.AskOverwrite(question); });
  }
  PromptAnswer AskReadOnly(ReadOnlyCase question, const std::string& path) override {
    return Answer([&] { return inner_.AskReadOnly(question, path); });
  }
  FailureAnswer AskFailure(FailureCase question, const std::string& path) override {
    return Answer([&] { return inner_.AskFailure(question, path); });
  }
  void ShowMessage(RunMessage message, const std::string& path) override {
    Answer([&] {
      inner_.ShowMessage(message, path);
      return 0;
    });
  }
  PermanentAnswer AskPermanentDelete(const std::vector<std::string>& paths) override {
    return Answer([&] { return inner_.AskPermanentDelete(paths); });
  }

 private:
  template <typename Ask>
  auto Answer(Ask ask) -> decltype(ask()) {
    if (++count_ != postponeAt_ || engine_ == nullptr) return ask();
    postponed_ = true;
    using Result = decltype(ask());
    std::promise<Result> answer;
    std::future<Result> later = answer.get_future();
    FileOperationEngine& engine = *engine_;
    engine.RequestPause(true);
    Join();
    helper_ = std::thread([&engine, &answer, ask] {
      std::this_thread::sleep_for(std::chrono::microseconds(50));
      answer.set_value(ask());
      std::this_thread::sleep_for(std::chrono::microseconds(50));
      engine.RequestPause(false);
    });
    return later.get();
  }

  OperationPrompts& inner_;
  FileOperationEngine*& engine_;
  const int postponeAt_;
  int& count_;
  bool postponed_ = false;
  std::thread helper_;
};

class Checker {
 public:
  explicit Checker(std::vector<std::string>& violations) : violations_(violations) {}

  Outcome Execute(const SweepRun& run) {
    const Scenario& s = *run.scenario;
    const Prepared& prepared = Prepare(s);
    std::unique_ptr<MemoryFileSystem> cloned = prepared.fs->Clone();
    MemoryFileSystem& fs = *cloned;
    const Snap& before = prepared.before;
    for (const Fault& fault : run.faults) fs.AddFault(fault);
    ScriptedPrompts prompts(run.policy);
    Outcome outcome;
    FileOperationEngine* running = nullptr;
    PostponingPrompts postponing(prompts, running, run.postponeAt, outcome.questions);
    CollectingPrompts collecting(postponing, run.collect);
    FileOperationEngine engine(fs, collecting);
    running = &engine;
    outcome.trace = 14695981039346656037ull;
    Snap atCancel;
    bool cancelled = false;
    std::thread resumer;
    engine.SetCheckHook([&]() {
      if (++outcome.checks == run.cancelAt) {
        engine.RequestCancel();
        atCancel = fs.Snapshot();
        cancelled = true;
      }
      if (outcome.checks == run.pauseAt) {
        engine.RequestPause(true);
        resumer = std::thread([&engine] {
          std::this_thread::sleep_for(std::chrono::microseconds(50));
          engine.RequestPause(false);
        });
      }
    });
    // Each entry's answers so far, when it finished (see the stop rule below).
    std::vector<size_t> answersAtEnd(s.names.size(), 0);
    engine.SetEntryObserver([&](size_t i, EntryOutcome) {
      if (i < answersAtEnd.size()) answersAtEnd[i] = prompts.answers.size();
    });
    // After the flag is set (by a click between checks) the call already under
    // way may finish; nothing later may open, replace, create or delete.
    bool flagSet = false;
    bool disturbReached = false;
    std::string movedAside;  // the folder another program moved away
    std::string added;       // the file another program added
    bool addedEarly = false; // before its folder was listed: it is part of the run
    std::string removed;     // the file another program removed
    std::vector<std::string> lateCalls;
    fs.SetCallHook([&](FsOp op, const std::string& path) {
      Mix(outcome.trace, std::to_string(static_cast<int>(op)) + path);
      const bool late = flagSet;
      ++outcome.fsCalls;
      if (outcome.fsCalls == run.cancelAtCall) {
        engine.RequestCancel();
        flagSet = true;
      }
      if (outcome.fsCalls == run.disturbAtCall) {
        disturbReached = true;
        Disturb(fs, prepared, run, movedAside, added, addedEarly, removed);
      }
      if (outcome.fsCalls == kRunawayCalls) engine.RequestCancel();
      if (!late) return;
      const bool temp = path.find("~px") != std::string::npos;
      if (op == FsOp::kOpenRead || op == FsOp::kOpenReadFromDisk || op == FsOp::kRename || op == FsOp::kRemoveFolder ||
          op == FsOp::kRemoveLink || op == FsOp::kRecycle || op == FsOp::kCreateFolder ||
          (op == FsOp::kRemoveFile && !temp)) {
        lateCalls.push_back(std::to_string(static_cast<int>(op)) + " " + path);
      }
    });
    RunRequest request;
    request.kind = s.kind;
    request.baseFolder = kBase;
    request.names = s.names;
    request.targetFolder = s.targetFolder;
    request.newName = s.newName;
    request.recycle = s.recycle;
    request.blockSize = 512;
    request.verify = run.verify;
    RunResult result = engine.Run(request);
    if (resumer.joinable()) resumer.join();
    postponing.Join();
    for (size_t op = 0; op < outcome.calls.size(); ++op) outcome.calls[op] = fs.Calls(static_cast<FsOp>(op));
    outcome.bytesCorrupted = fs.BytesCorrupted();
    outcome.entries = result.entries;
    for (const auto& [kind, value] : prompts.answers) Mix(outcome.trace, std::string(1, kind) + std::to_string(value));

    run_ = &run;
    if (outcome.fsCalls >= kRunawayCalls) Fail("the run did not end by itself");
    // What this run injects must have happened, or it tested nothing.
    if (!run.faults.empty() && fs.FaultsFired() == 0) Fail("the fault never fired");
    if (run.cancelAt && !cancelled) Fail("the cancel check was never reached");
    if (run.cancelAtCall && !flagSet) Fail("the cancel call was never reached");
    if (run.disturbance != Disturbance::kNone && !disturbReached) Fail("the disturbance never happened");
    if (run.postponeAt && !postponing.Postponed()) Fail("the postponed question never came");
    if (run.collect) {
      // Nothing asked, nothing shown but a cancel, and no entry left behind.
      for (const auto& [kind, value] : prompts.answers) {
        if (kind != 'm' || value != static_cast<int>(RunMessage::kCancelled)) Fail("asked while collecting");
      }
      for (size_t i = 0; i < result.entries.size() && !result.cancelled; ++i) {
        if (result.entries[i] == EntryOutcome::kNotReached) Fail("stopped while collecting");
      }
    }
    for (const RunProblem& problem : result.problems) {
      if (problem.kind == ProblemKind::kMessage && problem.message == RunMessage::kCancelled) {
        Fail("the cancel noted as a problem");
      }
      const bool failure = problem.kind == ProblemKind::kNotDeleted || problem.kind == ProblemKind::kNotCopied ||
                           problem.kind == ProblemKind::kNotMoved;
      if (failure == (problem.error == FsError::kOk)) Fail("a problem without its error: " + problem.path);
      if (problem.error == FsError::kVerifyMismatch) outcome.verifyMismatch = true;
    }
    outcome.failuresAsked = prompts.failures.size();

    const Snap after = fs.Snapshot();
    outcome.after = after;
    bool cleanupMayFail = false, attributesMayFail = false, followed = false, lookupSaidGone = false;
    int lookupFaults = 0;  // with more than one, a deletion may not be confirmed
    for (const Fault& fault : run.faults) {
      lookupFaults += fault.op == FsOp::kLookup ? static_cast<int>(std::min<uint32_t>(fault.times, 2)) : 0;
      lookupSaidGone = lookupSaidGone || (fault.op == FsOp::kLookup && fault.error == FsError::kNotFound);
      cleanupMayFail = cleanupMayFail || fault.op == FsOp::kRemoveFile;
      attributesMayFail = attributesMayFail || fault.op == FsOp::kSetAttributes;
      followed = followed || fault.mode == FaultMode::kFollowLink;
    }
    const std::string changed = fs.ChangedByFault().empty() ? std::string() : SnapKey(fs.ChangedByFault());
    // A folder moved aside by another program holds what the run saw at its old place.
    auto where = [&](const std::string& key) {
      if (movedAside.empty() || !Within(key, movedAside)) return key;
      return movedAside + ".moved" + key.substr(movedAside.size());
    };
    const std::string addedAt = run.disturbance == Disturbance::kSwapFolder ? added : where(added);

    if (fs.WildcardCalls() != 0) Fail("a wildcard reached the file system");
    if (fs.OpenFileCount() != 0) Fail("a file was left open");
    for (const auto& [folder, count] : fs.ListCounts()) {
      if (count > 2 + prompts.answers.size()) Fail("listed more than once per pass and question: " + folder);
    }
    if (result.entries.size() != s.names.size()) Fail("one result per entry");

    const auto& sourceBody = prepared.sourceBody;
    const auto& targetOf = prepared.targetOf;
    const auto& entryFiles = prepared.entryFiles;
    auto bodiesFor = prepared.bodiesFor;
    if (!changed.empty() && targetOf.count(changed)) bodiesFor[targetOf.at(changed)].insert(fs.ChangedBody());
    const std::string addedTarget = added.empty() || prepared.disturbed.empty() ||
                                             run.disturbance == Disturbance::kSwapFolder
                                         ? std::string()
                                         : prepared.disturbedTarget + "\\late";

    auto has = [](const Snap& snap, const std::string& key, const std::string& body) {
      auto it = snap.find(key);
      return it != snap.end() && !it->second.folder && it->second.content == body;
    };

    for (const auto& [key, body] : sourceBody) {
      if (key == changed || key == removed) continue;
      const bool atSource = has(after, where(key), body);
      const bool atTarget = has(after, targetOf.at(key), body);
      if (s.kind == kCopy && !atSource) Fail("copy source changed: " + key);
      if (s.kind == kMove && !atSource && !atTarget) Fail("moved file lost: " + key);
      if (s.kind == kDelete && !atSource && after.count(where(key))) Fail("deleted file changed: " + key);
    }
    // A file that came after its folder was listed is never acted on; one
    // that came before is part of the run.
    if (addedEarly && !addedTarget.empty()) bodiesFor[addedTarget].insert("late");
    if (!added.empty() && !addedEarly && !has(after, addedAt, "late")) {
      Fail("a file added during the run was touched: " + added);
    }
    if (!addedTarget.empty() && !addedEarly && after.count(addedTarget)) {
      Fail("a file added during the run was copied: " + added);
    }
    for (const std::string& path : s.keep) {
      const std::string key = SnapKey(path);
      if (key == removed) continue;
      auto was = before.find(key);
      auto now = after.find(where(key));
      if (was == before.end()) {
        Fail("scenario keeps what it does not hold: " + key);
      } else if (now == after.end() || now->second.content != was->second.content ||
                 now->second.attributes != was->second.attributes) {
        Fail("an entry the run may not touch changed: " + key);
      }
    }
    for (const auto& [key, value] : before) {
      if (sourceBody.count(key) || key == removed) continue;
      if (value.folder) {
        bool inRun = false;
        for (size_t i = 0; i < s.names.size(); ++i) {
          if (prepared.entryExists[i] && Within(key, SnapKey(std::string(kBase) + s.names[i]))) inRun = true;
        }
        if (inRun && s.kind != kCopy) continue;
        if (followed && Within(key, "c:\\outside\\empty")) continue;  // the platform took it
        auto now = after.find(where(key));
        if (now == after.end() || !now->second.folder || now->second.link != value.link) {
          Fail("folder outside the run vanished or changed: " + key);
        }
        continue;
      }
      auto allowed = bodiesFor.find(key);
      auto now = after.find(where(key));
      if (now == after.end() || now->second.folder) {
        Fail("file outside the run vanished: " + key);
      } else if (now->second.content != value.content &&
                 (s.kind == kDelete || allowed == bodiesFor.end() ||
                  !allowed->second.count(now->second.content))) {
        Fail("existing file neither kept nor fully replaced: " + key);
      }
    }
    for (const auto& [key, value] : after) {
      if (value.folder) continue;
      auto old = before.find(key);
      if (old != before.end() && old->second.content == value.content) {
        if (old->second.attributes != value.attributes && !attributesMayFail) {
          Fail("attributes of an untouched file changed: " + key);
        }
        continue;
      }
      if (key.find("~px") != std::string::npos) {
        if (!cleanupMayFail) Fail("temporary file left: " + key);
        continue;
      }
      if ((!added.empty() && key == addedAt) || key == changed) continue;
      if (!movedAside.empty() && Within(key, movedAside + ".moved")) continue;
      auto allowed = bodiesFor.find(key);
      if (s.kind == kDelete || allowed == bodiesFor.end() || !allowed->second.count(value.content)) {
        Fail("new file that is no complete copy: " + key);
        continue;
      }
      // A complete copy carries its source's attributes.
      for (const auto& [source, target] : targetOf) {
        if (target != key || sourceBody.at(source) != value.content) continue;
        if (value.attributes != prepared.sourceAttributes.at(source) && !attributesMayFail) {
          Fail("copy without its source's attributes: " + key);
        }
        break;
      }
    }

    // Cancel: one message, nothing written or deleted after the flag was seen.
    if (cancelled) {
      if (prompts.Count(RunMessage::kCancelled) != 1) Fail("cancel message not shown exactly once");
      if (!result.cancelled) Fail("cancelled run not reported");
      auto withoutTemps = [](const Snap& snap) {
        Snap out;
        for (const auto& [key, value] : snap) {
          if (key.find("~px") == std::string::npos) out[key] = value;
        }
        return out;
      };
      if (withoutTemps(after) != withoutTemps(atCancel)) Fail("changes after cancel");
    } else if (flagSet) {
      for (const std::string& call : lateCalls) Fail("file-system change after the cancel flag: " + call);
      if (prompts.Count(RunMessage::kCancelled) != (result.cancelled ? 1 : 0)) {
        Fail("cancel message and result disagree");
      }
    } else if (prompts.Count(RunMessage::kCancelled) != 0 || result.cancelled) {
      Fail("cancel reported without cancel");
    }

    // Each entry's result against the disk.
    for (size_t i = 0; i < s.names.size() && i < result.entries.size(); ++i) {
      const std::string entry = SnapKey(std::string(kBase) + s.names[i]);
      const bool isFolder = before.count(entry + "\\") != 0;
      const bool stillThere = after.count(where(isFolder ? entry + "\\" : entry)) != 0;
      EntryOutcome got = result.entries[i];
      if (!removed.empty() && Within(removed, entry) && !isFolder) continue;  // another program took it
      if (!prepared.entryExists[i]) {
        if (got == EntryOutcome::kDone) Fail("done on an entry that is not there as selected: " + entry);
        continue;
      }
      if (got == EntryOutcome::kGone && !Within(entry, removed) && !lookupSaidGone) {
        Fail("existing entry reported gone: " + entry);
      }
      if (got == EntryOutcome::kNotReached) {
        for (const std::string& key : entryFiles[i]) {
          if (key != removed && key != changed && !has(after, where(key), sourceBody.at(key))) {
            Fail("entry not reached but changed: " + key);
          }
        }
        continue;
      }
      if (got == EntryOutcome::kGone) continue;
      const bool done = got == EntryOutcome::kDone;
      if (s.kind == kDelete) {
        if (done && stillThere) Fail("done delete disagrees with disk: " + entry);
        // A link whose target the platform took is reported, though gone.
        const bool followedLink = followed && before.at(entry + "\\").link;
        if (!done && !stillThere && lookupFaults < 2 && !followedLink) {
          Fail("not done delete disagrees with disk: " + entry);
        }
        continue;
      }
      bool allCopied = true;
      for (const std::string& key : entryFiles[i]) {
        if (key == removed) continue;
        // A file another program changed may be copied as it was or as it is.
        if (!has(after, targetOf.at(key), sourceBody.at(key)) &&
            (key != changed || !has(after, targetOf.at(key), fs.ChangedBody()))) {
          allCopied = false;
        }
      }
      for (const std::string& folder : prepared.entryFolders[i]) {
        auto target = after.find(prepared.folderTargetOf.at(folder) + "\\");
        if (target == after.end() || !target->second.folder) allCopied = false;
      }
      if (done && !allCopied) Fail("done but target incomplete: " + entry);
      if (s.kind == kMove && done && stillThere) Fail("move done but source left: " + entry);
      if (s.kind == kMove && !done && !stillThere && movedAside != entry) {
        Fail("move not done but source gone: " + entry);
      }
      if (s.kind == kCopy && !done && !isFolder && entryFiles[i].size() == 1) {
        const std::string& key = entryFiles[i][0];
        if (!has(before, targetOf.at(key), sourceBody.at(key)) && has(after, targetOf.at(key), sourceBody.at(key)) &&
            !has(atCancel, targetOf.at(key), sourceBody.at(key))) {
          Fail("copy not done but target written: " + entry);
        }
      }
    }

    // Each entry left undone says why, and only those do; what a problem
    // names is on the disk as the problem says.
    if (!cancelled && !flagSet && run.disturbance == Disturbance::kNone && !result.cancelled) {
      std::vector<int> noted(result.entries.size(), 0);
      bool wholeRun = false;
      for (const RunProblem& problem : result.problems) {
        if (problem.entry == kWholeRun) {
          wholeRun = true;
        } else if (problem.entry < noted.size()) {
          ++noted[problem.entry];
        } else {
          Fail("a problem of no entry: " + problem.path);
        }
      }
      for (size_t i = 0; i < result.entries.size(); ++i) {
        const bool notDone = result.entries[i] == EntryOutcome::kNotDone;
        if (notDone && !noted[i] && !wholeRun) Fail("not done without a problem: " + s.names[i]);
        if (!notDone && noted[i]) Fail("a problem of an entry not left undone: " + s.names[i]);
      }
      for (const RunProblem& problem : result.problems) {
        const std::string key = SnapKey(problem.path);
        if (key == changed) continue;
        auto was = before.find(key);
        auto now = after.find(where(key));
        switch (problem.kind) {
          case ProblemKind::kTargetExists:
          case ProblemKind::kReadOnly:
            if (was != before.end() && !was->second.folder &&
                (now == after.end() || now->second.content != was->second.content)) {
              Fail("a file its problem kept changed: " + key);
            }
            break;
          case ProblemKind::kNotCopied:
          case ProblemKind::kNotMoved: {
            auto body = sourceBody.find(key);
            if (body == sourceBody.end()) break;  // a folder, or a name the run refused
            if (!has(after, where(key), body->second)) Fail("a file not copied or moved left its place: " + key);
            const std::string& target = targetOf.at(key);
            if (has(after, target, body->second) && !has(before, target, body->second)) {
              Fail("a file not copied or moved is at its target: " + key);
            }
            break;
          }
          case ProblemKind::kNotDeleted:
            if (lookupFaults == 0 && !followed && !after.count(where(key)) && !after.count(where(key) + "\\")) {
              Fail("a file not deleted is gone: " + key);
            }
            break;
          case ProblemKind::kMessage: break;
        }
      }
    }

    // A failure ends the run unless a Skip is in force: without any Skip given
    // nothing after it is reached; with every answer a Skip it goes on.
    // (Collecting, every answer is a Skip the prompts see nothing of.)
    const bool allSkips = IsSkipAnswer('o', static_cast<int>(run.policy.overwrite)) &&
                          IsSkipAnswer('r', static_cast<int>(run.policy.readOnly)) &&
                          run.policy.failure == FailureAnswer::kSkip;
    for (size_t i = 0; i + 1 < result.entries.size() && !result.cancelled && !run.collect; ++i) {
      if (result.entries[i] != EntryOutcome::kNotDone) continue;
      bool skipGiven = false;
      size_t answersGiven = 0;
      for (size_t a = 0; a < answersAtEnd[i] && a < prompts.answers.size(); ++a) {
        if (prompts.answers[a].first == 'm') continue;
        ++answersGiven;
        skipGiven = skipGiven || IsSkipAnswer(prompts.answers[a].first, prompts.answers[a].second);
      }
      const bool nextReached = result.entries[i + 1] != EntryOutcome::kNotReached;
      if (!skipGiven && nextReached) Fail("the run went on after a failure without a Skip");
      if (allSkips && answersGiven > 0 && !nextReached) Fail("the run stopped although Skip was in force");
      break;
    }
    return outcome;
  }

 private:
  static constexpr int kRunawayCalls = 20000;

  // Applies the run's disturbance; false when there is nothing (left) to disturb.
  static bool Disturb(MemoryFileSystem& fs, const Prepared& p, const SweepRun& run, std::string& movedAside,
                      std::string& added, bool& addedEarly, std::string& removed) {
    const std::string folder = p.disturbed.empty() ? SnapKey(kBase) : p.disturbed + "\\";
    switch (run.disturbance) {
      case Disturbance::kNone: return false;
      case Disturbance::kAddFile:
        if (!fs.Has(folder)) return false;
        added = folder + "late";
        addedEarly = !fs.ListCounts().count(FoldName(folder));
        return fs.AddFile(added, "late");
      case Disturbance::kRemoveFile:
        // Not a file with a case twin: between the engine's look at its exact
        // name and the call that acts on it no run can tell.
        for (const auto& [key, value] : p.before) {
          if (!value.folder && key.compare(0, folder.size(), folder) == 0 && fs.Has(key) &&
              !p.hasCaseTwin.count(key)) {
            removed = key;
            return fs.Erase(key);
          }
        }
        return false;
      case Disturbance::kLinkFolder:
      case Disturbance::kSwapFolder:
        for (const auto& [key, value] : p.before) {
          if (value.folder && !value.link && key.size() > folder.size() &&
              key.compare(0, folder.size(), folder) == 0) {
            // Before the run has listed it, a change is only the state it finds.
            if (!fs.ListCounts().count(FoldName(key))) return false;
            std::string sub = key.substr(0, key.size() - 1);
            if (!fs.MoveAside(sub, sub + ".moved")) return false;
            movedAside = sub;
            if (run.disturbance == Disturbance::kLinkFolder) return fs.AddFolderLink(sub, "C:\\outside\\");
            added = sub + "\\late";
            return fs.AddFile(added, "late");
          }
        }
        return false;
    }
    return false;
  }

  void Fail(const std::string& what) {
    std::string where = std::string(run_->scenario->name) + " / answers " +
                        std::to_string(static_cast<int>(run_->policy.overwrite)) +
                        std::to_string(static_cast<int>(run_->policy.readOnly)) +
                        std::to_string(static_cast<int>(run_->policy.failure)) +
                        std::to_string(static_cast<int>(run_->policy.permanent));
    for (const Fault& fault : run_->faults) {
      where += " / fault op " + std::to_string(static_cast<int>(fault.op)) + " call " + std::to_string(fault.nth) +
               " mode " + std::to_string(static_cast<int>(fault.mode)) +
               (fault.times > 1 ? " lasting" : "");
    }
    if (run_->cancelAt) where += " / cancel at check " + std::to_string(run_->cancelAt);
    if (run_->pauseAt) where += " / pause at check " + std::to_string(run_->pauseAt);
    if (run_->cancelAtCall) where += " / cancel at call " + std::to_string(run_->cancelAtCall);
    if (run_->disturbAtCall) {
      where += " / disturbance " + std::to_string(static_cast<int>(run_->disturbance)) + " at call " +
               std::to_string(run_->disturbAtCall);
    }
    violations_.push_back(where + ": " + what);
  }

  std::vector<std::string>& violations_;
  const SweepRun* run_ = nullptr;
};

std::vector<AnswerPolicy> AllPolicies() {
  std::vector<AnswerPolicy> out;
  for (int o = 0; o <= 4; ++o) {
    for (int r = 0; r <= 4; ++r) {
      for (int f = 0; f <= 2; ++f) {
        out.push_back({static_cast<PromptAnswer>(o), static_cast<PromptAnswer>(r), static_cast<FailureAnswer>(f)});
      }
    }
  }
  return out;
}

// A few answer sets that reach far into the runs (and stop early) for the
// fault and cancel sweeps.
const AnswerPolicy kSweepPolicies[] = {
    {PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, FailureAnswer::kRetry, PermanentAnswer::kYes},
    {PromptAnswer::kProceed, PromptAnswer::kProceed, FailureAnswer::kSkip},
    {PromptAnswer::kSkip, PromptAnswer::kSkipAll, FailureAnswer::kSkip},
    {PromptAnswer::kProceedAll, PromptAnswer::kCancel, FailureAnswer::kStop},
    {PromptAnswer::kCancel, PromptAnswer::kProceedAll, FailureAnswer::kRetry},
    {PromptAnswer::kSkipAll, PromptAnswer::kProceed, FailureAnswer::kRetry},
    {PromptAnswer::kProceed, PromptAnswer::kSkip, FailureAnswer::kStop, PermanentAnswer::kYes},
    {PromptAnswer::kProceedAll, PromptAnswer::kProceedAll, FailureAnswer::kSkip},
};

std::vector<Fault> FaultsFor(FsOp op, uint32_t nth) {
  std::vector<Fault> out;
  out.push_back({op, nth, FaultMode::kFail, op == FsOp::kWrite ? FsError::kDiskFull : FsError::kIo});
  if (op == FsOp::kRead) {
    out.push_back({op, nth, FaultMode::kEarlyEnd, FsError::kOk});
    out.push_back({op, nth, FaultMode::kShortRead, FsError::kOk});
    out.push_back({op, nth, FaultMode::kGrow, FsError::kOk});
    out.push_back({op, nth, FaultMode::kShrink, FsError::kOk});
  }
  if (op == FsOp::kList) out.push_back({op, nth, FaultMode::kPartialList, FsError::kIo});
  if (op == FsOp::kSizeOf) out.push_back({op, nth, FaultMode::kShortLength, FsError::kOk});
  if (op == FsOp::kRename) out.push_back({op, nth, FaultMode::kFail, FsError::kNotSameDevice});
  if (op == FsOp::kRemoveLink) out.push_back({op, nth, FaultMode::kFollowLink, FsError::kOk});
  if (op == FsOp::kRecycle) {
    out.push_back({op, nth, FaultMode::kRecycleAbort, FsError::kOk});
    out.push_back({op, nth, FaultMode::kRecycleKeep, FsError::kOk});
  }
  if (op == FsOp::kRecycle || op == FsOp::kCanRecycle) {
    out.push_back({op, nth, FaultMode::kNoBin, FsError::kOk});
  }
  return out;
}

TEST(FileOpsFault, EveryFailureAndCancelPointKeepsData) {
  std::vector<std::string> violations;
  Checker checker(violations);
  size_t scenarios = 0;
  std::unordered_set<uint64_t> traces;
  auto execute = [&](const SweepRun& run) {
    Outcome outcome = checker.Execute(run);
    ++scenarios;
    traces.insert(outcome.trace);
    return outcome;
  };
  const std::vector<AnswerPolicy> policies = AllPolicies();
  size_t postponed = 0, collectedRuns = 0, verifiedRuns = 0, corrupted = 0, corruptionsCaught = 0;
  for (const Scenario& s : Scenarios()) {
    for (const AnswerPolicy& policy : policies) {
      SweepRun run;
      run.scenario = &s;
      run.policy = policy;
      execute(run);
    }
    // Skipping and collecting, with every call failing: nothing is asked and
    // the run goes through every entry.
    {
      SweepRun collected;
      collected.scenario = &s;
      collected.collect = true;
      const Outcome baseline = execute(collected);
      ++collectedRuns;
      for (size_t op = 0; op < baseline.calls.size(); ++op) {
        for (uint32_t nth = 1; nth <= baseline.calls[op]; ++nth) {
          for (const Fault& fault : FaultsFor(static_cast<FsOp>(op), nth)) {
            SweepRun run = collected;
            run.faults = {fault};
            execute(run);
            ++collectedRuns;
          }
        }
      }
    }
    for (const AnswerPolicy& policy : kSweepPolicies) {
      const size_t rank = static_cast<size_t>(&policy - kSweepPolicies);
      SweepRun base;
      base.scenario = &s;
      base.policy = policy;
      const Outcome baseline = execute(base);
      for (int check = 1; check <= baseline.checks; ++check) {
        SweepRun run = base;
        run.cancelAt = check;
        execute(run);
      }
      for (int call = 1; rank < 2 && call <= baseline.fsCalls; ++call) {
        SweepRun run = base;
        run.cancelAtCall = call;
        execute(run);
      }
      // A question answered late, at every question, changes nothing but the time.
      for (int question = 1; rank < 2 && question <= baseline.questions; ++question) {
        SweepRun run = base;
        run.postponeAt = question;
        const Outcome late = execute(run);
        ++postponed;
        if (late.after != baseline.after || late.entries != baseline.entries) {
          violations.push_back(std::string(s.name) + " / question " + std::to_string(question) +
                               " answered late: the run came out otherwise than without the wait");
        }
      }
      // Verified copies: every call failing, and every write and read-back
      // corrupted, which the run must catch.
      for (int rounds = 0; rank < 2 && s.kind != kDelete && rounds < 1; ++rounds) {
        SweepRun verified = base;
        verified.verify = true;
        const Outcome clean = execute(verified);
        if (clean.verifyMismatch) {
          violations.push_back(std::string(s.name) + ": a clean verified run failed its verify");
        }
        for (size_t op = 0; op < clean.calls.size(); ++op) {
          for (uint32_t nth = 1; nth <= clean.calls[op]; ++nth) {
            std::vector<Fault> faults = FaultsFor(static_cast<FsOp>(op), nth);
            const bool corruptible = op == static_cast<size_t>(FsOp::kWrite) ||
                                     op == static_cast<size_t>(FsOp::kOpenReadFromDisk);
            if (corruptible) faults.push_back({static_cast<FsOp>(op), nth, FaultMode::kCorrupt, FsError::kOk});
            for (const Fault& fault : faults) {
              // Another program changing the copy after it was read back is
              // past what a verify can see.
              if (fault.mode == FaultMode::kGrow || fault.mode == FaultMode::kShrink) continue;
              SweepRun run = verified;
              run.faults = {fault};
              const Outcome caught = execute(run);
              ++verifiedRuns;
              // An empty file read back has no byte to corrupt; where the run
              // fails without a fault (a full disk), a corrupted copy may fail
              // for that first, and what is left is the checks' above.
              if (fault.mode != FaultMode::kCorrupt || caught.bytesCorrupted == 0 || clean.failuresAsked > 0) {
                continue;
              }
              ++corrupted;
              // Noted when given up on; asked about when retried (and then copied again).
              const bool givenUp = run.policy.failure != FailureAnswer::kRetry;
              if (givenUp ? !caught.verifyMismatch : caught.failuresAsked <= clean.failuresAsked) {
                violations.push_back(std::string(s.name) + " / corrupt op " + std::to_string(op) + " call " +
                                     std::to_string(nth) + ": the verify did not catch it");
              } else {
                ++corruptionsCaught;
              }
            }
          }
        }
      }
      // A pause at any check, resumed, changes nothing but the time.
      for (int check = 1; rank < 2 && check <= baseline.checks; ++check) {
        SweepRun run = base;
        run.pauseAt = check;
        const Outcome paused = execute(run);
        if (paused.after != baseline.after || paused.entries != baseline.entries) {
          violations.push_back(std::string(s.name) + " / pause at check " + std::to_string(check) +
                               ": the run came out otherwise than without the pause");
        }
      }
      std::vector<Fault> points;  // every call of the baseline, failing plainly
      for (size_t op = 0; op < baseline.calls.size(); ++op) {
        for (uint32_t nth = 1; nth <= baseline.calls[op]; ++nth) {
          for (const Fault& fault : FaultsFor(static_cast<FsOp>(op), nth)) {
            SweepRun run = base;
            run.faults = {fault};
            execute(run);
          }
          points.push_back(FaultsFor(static_cast<FsOp>(op), nth).front());
        }
      }
      // A failure that lasts across Retry, and two failures in one run.
      for (size_t k = 0; rank < 3 && k < points.size(); ++k) {
        SweepRun run = base;
        run.faults = {points[k]};
        run.faults[0].times = 1000;
        execute(run);
        for (size_t step : {size_t{1}, size_t{5}}) {
          if (k + step >= points.size()) continue;
          run.faults = {points[k], points[k + step]};
          execute(run);
        }
      }
      // Another program adds, removes or replaces something at every call.
      for (Disturbance disturbance : {Disturbance::kAddFile, Disturbance::kRemoveFile, Disturbance::kLinkFolder,
                                      Disturbance::kSwapFolder}) {
        for (int call = 1; rank < 2 && call <= baseline.fsCalls; ++call) {
          SweepRun run = base;
          run.disturbance = disturbance;
          run.disturbAtCall = call;
          execute(run);
        }
      }
    }
  }
  std::cout << "scenarios: " << scenarios << ", distinct: " << traces.size()
            << ", violations: " << violations.size() << "\n"
            << "  answered late: " << postponed << ", collected: " << collectedRuns
            << ", verified: " << verifiedRuns << " (corrupted " << corrupted << ", caught "
            << corruptionsCaught << ")\n";
  // PX_SWEEP_ALL=1 lists every violation, not only the first 25.
  const size_t shown = std::getenv("PX_SWEEP_ALL") ? violations.size() : 25;
  for (size_t i = 0; i < violations.size() && i < shown; ++i) std::cout << "  " << violations[i] << "\n";
  EXPECT_GE(scenarios, 10000u);
  EXPECT_GE(traces.size(), 5000u);
  EXPECT_GE(postponed, 100u);
  EXPECT_GE(collectedRuns, 1000u);
  EXPECT_GE(corrupted, 100u);
  EXPECT_EQ(corruptionsCaught, corrupted);
  EXPECT_TRUE(violations.empty());
}

}  // namespace
}  // namespace px
