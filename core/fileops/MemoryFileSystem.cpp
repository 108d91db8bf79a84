// In-memory file system with fault injection (see the header).
#include "core/fileops/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "core/text/CaseFold.h"

namespace px {

struct MemoryFileSystem::Node {
  struct Child {
    std::string name;  // as listed and looked up (the stored name but for AddFileListedAs)
    std::shared_ptr<Node> node;
  };
  bool folder = false;
  bool link = false;
  uint32_t attributes = kAttrArchive;
  uint64_t writeTime = 0;
  uint64_t index = 0;
  uint32_t volume = 0;
  std::string data;
  std::string linkTarget;                // folder path a link leads to
  std::map<std::string, Child> children;  // by stored name, which is unique
  std::multimap<std::string, std::string> byName;  // listed name -> stored name
  std::multimap<std::string, std::string> byFold;  // folded listed name -> stored name
  int readers = 0;
  int writers = 0;

  // The child a call by name reaches: the first listed exactly so, else the
  // first that matches ignoring case.
  Child* Find(const std::string& name, std::string* key) {
    auto exact = byName.find(name);
    const std::string* stored = nullptr;
    if (exact != byName.end()) {
      stored = &exact->second;
    } else {
      auto folded = byFold.find(FoldName(name));
      if (folded == byFold.end()) return nullptr;
      stored = &folded->second;
    }
    if (key) *key = *stored;
    return &children.at(*stored);
  }
  void Insert(const std::string& key, Child child) {
    byName.emplace(child.name, key);
    byFold.emplace(FoldName(child.name), key);
    children[key] = std::move(child);
  }
  void Erase(const std::string& key) {
    auto it = children.find(key);
    if (it == children.end()) return;
    auto drop = [&](std::multimap<std::string, std::string>& index, const std::string& by) {
      auto [first, last] = index.equal_range(by);
      for (auto i = first; i != last; ++i) {
        if (i->second == key) {
          index.erase(i);
          return;
        }
      }
    };
    drop(byName, it->second.name);
    drop(byFold, FoldName(it->second.name));
    children.erase(it);
  }
};

struct MemoryFileSystem::Volume {
  uint64_t serial = 0;
  uint64_t capacity = UINT64_MAX;
  uint64_t used = 0;
  bool bin = true;
  uint64_t binLargestFile = UINT64_MAX;
};

struct MemoryFileSystem::OpenFile {
  std::shared_ptr<Node> node;
  std::string path;  // as given when opened for reading
  size_t position = 0;
  bool write = false;
  bool corrupt = false;  // reads give one byte changed (kCorrupt)
};

struct MemoryFileSystem::Located {
  std::shared_ptr<Node> parent;  // null when the path is a drive root
  std::shared_ptr<Node> root;    // the root itself in that case
  std::string name;              // last component as given
  std::string key;               // the stored name of the entry found, else name
  Node::Child* child = nullptr;  // the entry, when it exists
};

namespace {

constexpr int kMaxLinkHops = 16;
constexpr size_t kMaxPath = 32767;  // as for long paths on the platform: ends descents through link loops

// Splits "X:\a\b" or "\\server\share\a" into the folded root key and the rest.
bool SplitRoot(const std::string& path, std::string& rootKey, std::string& rest) {
  size_t end = 0;
  if (path.size() >= 2 && path[1] == ':') {
    end = 2;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string::npos || server == 2) return false;
    size_t share = path.find('\\', server + 1);
    end = share == std::string::npos ? path.size() : share;
    if (end == server + 1) return false;
  } else {
    return false;
  }
  rootKey = FoldName(path.substr(0, end)) + "\\";
  rest = end < path.size() ? path.substr(end + 1) : std::string();
  if (end < path.size() && path[end] != '\\') return false;
  return true;
}

std::vector<std::string> Components(const std::string& rest) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t next = rest.find('\\', start);
    if (next == std::string::npos) next = rest.size();
    if (next > start) parts.push_back(rest.substr(start, next - start));
    start = next + 1;
  }
  return parts;
}

EntryInfo InfoOf(const std::string& name, const MemoryFileSystem::Node& node) {
  EntryInfo info;
  info.name = name;
  info.attributes = node.attributes;
  if (node.folder) info.attributes |= kAttrDirectory;
  if (node.link) info.attributes |= kAttrReparsePoint;
  info.size = node.folder ? 0 : node.data.size();
  info.writeTime = node.writeTime;
  return info;
}
}  // namespace

MemoryFileSystem::MemoryFileSystem() = default;
MemoryFileSystem::~MemoryFileSystem() = default;

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::NewNode(bool folder, uint32_t volume) {
  auto node = std::make_shared<Node>();
  node->folder = folder;
  node->attributes = folder ? 0 : kAttrArchive;
  node->index = nextIndex_++;
  node->volume = volume;
  node->writeTime = clock_++;
  return node;
}

void MemoryFileSystem::AddVolume(const std::string& root, uint64_t serial, uint64_t capacity) {
  std::string key, rest;
  if (!SplitRoot(root, key, rest)) return;
  uint32_t id = static_cast<uint32_t>(volumes_.size() + 1);
  auto volume = std::make_unique<Volume>();
  volume->serial = serial;
  volume->capacity = capacity;
  volumes_[id] = std::move(volume);
  drives_[key] = NewNode(true, id);
}

void MemoryFileSystem::SetRecycleBin(const std::string& root, bool present, uint64_t largestFile) {
  std::string key, rest;
  if (!SplitRoot(root, key, rest)) return;
  auto drive = drives_.find(key);
  if (drive == drives_.end()) return;
  Volume& volume = *volumes_.at(drive->second->volume);
  volume.bin = present;
  volume.binLargestFile = largestFile;
}

bool MemoryFileSystem::BinTakes(const Node& node) const {
  const Volume& volume = *volumes_.at(node.volume);
  return volume.bin && (node.folder || node.data.size() <= volume.binLargestFile);
}

bool MemoryFileSystem::AddAlias(const std::string& root, const std::string& folder) {
  std::string key, rest;
  std::shared_ptr<Node> node;
  if (!SplitRoot(root, key, rest) || ResolveFolder(folder, node, 0) != FsError::kOk) return false;
  std::string real;
  if (ResolveReal(folder, real, 0) != FsError::kOk) return false;
  drives_[key] = node;
  aliases_.push_back(key);
  aliasFolders_[key] = real;
  return true;
}

bool MemoryFileSystem::AddFolder(const std::string& folder) {
  std::string key, rest;
  if (!SplitRoot(folder, key, rest)) return false;
  std::string path = folder.substr(0, folder.size() - rest.size());
  for (const std::string& part : Components(rest)) {
    path += part + "\\";
    FsStatus status = CreateFolder(path);
    if (!status.Ok() && status.error != FsError::kAlreadyExists) return false;
  }
  return true;
}

// A name of its own, as the other side of a case-sensitive file system makes
// it: only the exact spelling counts as taken.
bool MemoryFileSystem::AddFile(const std::string& path, const std::string& content,
                               uint32_t attributes) {
  if (!AddFolder(path.substr(0, path.rfind('\\') + 1))) return false;
  Located at;
  if (Locate(path, at) != FsError::kOk || !at.parent || at.parent->children.count(at.name)) return false;
  auto node = NewNode(false, at.parent->volume);
  node->data = content;
  node->attributes = attributes & ~(kAttrDirectory | kAttrReparsePoint);
  volumes_[node->volume]->used += content.size();
  at.parent->Insert(at.name, {at.name, node});
  return true;
}

bool MemoryFileSystem::AddFileListedAs(const std::string& path, const std::string& listedName,
                                       const std::string& content) {
  if (!AddFile(path, content)) return false;
  Located at;
  if (Locate(path, at) != FsError::kOk || !at.parent) return false;
  const std::string stored = path.substr(path.rfind('\\') + 1);
  Node::Child child = at.parent->children.at(stored);
  at.parent->Erase(stored);
  child.name = listedName;
  at.parent->Insert(stored, std::move(child));
  return true;
}

bool MemoryFileSystem::AddHardLink(const std::string& existing, const std::string& path) {
  Located from, to;
  if (Locate(existing, from) != FsError::kOk || !from.child || from.child->node->folder) return false;
  if (Locate(path, to) != FsError::kOk || !to.parent || to.child) return false;
  if (to.parent->volume != from.child->node->volume) return false;
  to.parent->Insert(to.name, {to.name, from.child->node});
  return true;
}

bool MemoryFileSystem::AddFolderLink(const std::string& path, const std::string& folder) {
  if (!AddFolder(path.substr(0, path.rfind('\\') + 1))) return false;
  Located at;
  if (Locate(path, at) != FsError::kOk || !at.parent || at.child) return false;
  auto node = NewNode(true, at.parent->volume);
  node->link = true;
  node->linkTarget = folder;
  at.parent->Insert(at.name, {at.name, node});
  return true;
}

bool MemoryFileSystem::Erase(const std::string& path) {
  Located at;
  if (!LocateStored(path, at) || at.root) return false;
  std::shared_ptr<Node> node = at.child->node;
  at.parent->Erase(at.key);
  Release(node);
  return true;
}

bool MemoryFileSystem::MoveAside(const std::string& from, const std::string& to) {
  Located source, target;
  if (!LocateStored(from, source) || source.root) return false;
  if (Locate(to, target) != FsError::kOk || !target.parent || target.child) return false;
  Node::Child moved = *source.child;
  source.parent->Erase(source.key);
  moved.name = target.name;
  target.parent->Insert(target.name, std::move(moved));
  return true;
}

std::unique_ptr<MemoryFileSystem> MemoryFileSystem::Clone() const {
  auto copy = std::make_unique<MemoryFileSystem>();
  std::map<const Node*, std::shared_ptr<Node>> copied;
  std::function<std::shared_ptr<Node>(const std::shared_ptr<Node>&)> deep =
      [&](const std::shared_ptr<Node>& node) {
        auto found = copied.find(node.get());
        if (found != copied.end()) return found->second;
        auto twin = std::make_shared<Node>(*node);
        twin->readers = twin->writers = 0;
        copied[node.get()] = twin;
        for (auto& [key, child] : twin->children) child.node = deep(child.node);
        return twin;
      };
  for (const auto& [key, root] : drives_) {
    if (std::find(aliases_.begin(), aliases_.end(), key) == aliases_.end()) {
      copy->drives_[key] = deep(root);
    }
  }
  for (const std::string& key : aliases_) copy->drives_[key] = deep(drives_.at(key));
  copy->aliases_ = aliases_;
  copy->aliasFolders_ = aliasFolders_;
  for (const auto& [id, volume] : volumes_) copy->volumes_[id] = std::make_unique<Volume>(*volume);
  copy->readChunk_ = readChunk_;
  copy->nextIndex_ = nextIndex_;
  copy->clock_ = clock_;
  copy->nextTemp_ = nextTemp_;
  copy->linksOnlyFollowed_ = linksOnlyFollowed_;
  return copy;
}

std::optional<std::string> MemoryFileSystem::Content(const std::string& path) const {
  Located at;
  if (Locate(path, at) != FsError::kOk || !at.child || at.child->node->folder) return std::nullopt;
  return at.child->node->data;
}

bool MemoryFileSystem::LocateStored(const std::string& path, Located& at) const {
  if (Locate(path, at) != FsError::kOk) return false;
  if (at.root) return true;
  auto stored = at.parent->children.find(at.name);
  at.child = stored == at.parent->children.end() ? nullptr : &stored->second;
  at.key = at.name;
  return at.child != nullptr;
}

bool MemoryFileSystem::Has(const std::string& path) const {
  Located at;
  return LocateStored(path, at);
}

std::map<std::string, SnapshotEntry> MemoryFileSystem::Snapshot() const {
  std::map<std::string, SnapshotEntry> out;
  struct Walker {
    std::map<std::string, SnapshotEntry>& out;
    void Walk(const Node& folder, const std::string& prefix) {
      for (const auto& [key, child] : folder.children) {
        const Node& node = *child.node;
        SnapshotEntry entry;
        entry.folder = node.folder;
        entry.link = node.link;
        entry.attributes = node.attributes;
        if (node.folder) {
          out[prefix + key + "\\"] = entry;
          if (!node.link) Walk(node, prefix + key + "\\");
        } else {
          entry.content = node.data;
          out[prefix + key] = entry;
        }
      }
    }
  } walker{out};
  for (const auto& [key, root] : drives_) {
    if (std::find(aliases_.begin(), aliases_.end(), key) != aliases_.end()) continue;
    walker.Walk(*root, key);
  }
  return out;
}

const Fault* MemoryFileSystem::Hit(FsOp op, const std::string& path) {
  if (callHook_) callHook_(op, path);
  uint32_t n = ++calls_[static_cast<size_t>(op)];
  for (const Fault& fault : faults_) {
    if (fault.op == op && n >= fault.nth && n - fault.nth < fault.times) {
      ++faultsFired_;
      return &fault;
    }
  }
  return nullptr;
}

bool MemoryFileSystem::HasWildcard(const std::string& path) {
  if (path.find_first_of("*?") == std::string::npos) return false;
  ++wildcardCalls_;
  return true;
}

FsError MemoryFileSystem::ResolveFolder(const std::string& path, std::shared_ptr<Node>& out,
                                        int depth) const {
  return Resolve(path, out, nullptr, depth);
}

// A path without its final backslash, but for a root's.
static std::string WithoutFinalBackslash(std::string path) {
  std::string key, rest;
  if (SplitRoot(path, key, rest) && !rest.empty() && path.back() == '\\') path.pop_back();
  return path;
}

FsError MemoryFileSystem::ResolveReal(const std::string& path, std::string& out, int depth) const {
  std::shared_ptr<Node> node;
  return Resolve(path, node, &out, depth);
}

// Follows path (every link on the way, and at the end, to where it leads) to
// its node: a folder, or with real given the last step may be a file, and
// real gets the stored spelling of where it is, an alias drive read as the
// folder it shows.
FsError MemoryFileSystem::Resolve(const std::string& path, std::shared_ptr<Node>& out,
                                  std::string* real, int depth) const {
  if (depth > kMaxLinkHops) return FsError::kNotFound;
  if (path.size() > kMaxPath) return FsError::kInvalidName;
  std::string key, rest;
  if (!SplitRoot(path, key, rest)) return FsError::kInvalidName;
  auto drive = drives_.find(key);
  if (drive == drives_.end()) return FsError::kNotFound;
  std::string where;
  if (real) {
    auto alias = aliasFolders_.find(key);
    where = alias != aliasFolders_.end() ? alias->second : path.substr(0, path.size() - rest.size());
    if (where.back() != '\\') where += '\\';
  }
  std::shared_ptr<Node> node = drive->second;
  for (const std::string& part : Components(rest)) {
    if (!node->folder) return FsError::kNotFound;
    std::string stored;
    Node::Child* child = node->Find(part, &stored);
    if (!child || (!real && !child->node->folder)) return FsError::kNotFound;
    node = child->node;
    if (node->link) {
      std::shared_ptr<Node> target;
      FsError error = Resolve(node->linkTarget, target, real ? &where : nullptr, depth + 1);
      if (error != FsError::kOk) return real ? FsError::kNotFound : error;
      node = target;
      if (real && where.back() != '\\') where += '\\';
    } else if (real) {
      where += stored + "\\";
    }
  }
  if (real) *real = WithoutFinalBackslash(where);
  out = node;
  return FsError::kOk;
}

FsError MemoryFileSystem::Locate(const std::string& path, Located& out) const {
  if (path.size() > kMaxPath) return FsError::kInvalidName;
  std::string key, rest;
  if (!SplitRoot(path, key, rest)) return FsError::kInvalidName;
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '\\' && trimmed.size() > path.size() - rest.size())
    trimmed.pop_back();
  size_t rootLength = path.size() - rest.size();
  if (trimmed.size() <= rootLength) {
    auto drive = drives_.find(key);
    if (drive == drives_.end()) return FsError::kNotFound;
    out.root = drive->second;
    return FsError::kOk;
  }
  size_t slash = trimmed.rfind('\\');
  FsError error = ResolveFolder(trimmed.substr(0, slash + 1), out.parent, 0);
  if (error != FsError::kOk) return error;
  out.name = trimmed.substr(slash + 1);
  out.key = out.name;
  out.child = out.parent->Find(out.name, &out.key);
  return FsError::kOk;
}

bool MemoryFileSystem::IsOpen(const Node* node) const {
  return node->readers > 0 || node->writers > 0;
}

void MemoryFileSystem::Release(const std::shared_ptr<Node>& node) {
  if (!node->folder && node.use_count() == 1) {
    Volume& volume = *volumes_[node->volume];
    volume.used -= std::min<uint64_t>(volume.used, node->data.size());
  }
}

FsResult<FileId> MemoryFileSystem::OpenRead(const std::string& path) {
  return Open(FsOp::kOpenRead, path);
}

FsResult<FileId> MemoryFileSystem::OpenReadFromDisk(const std::string& path) {
  return Open(FsOp::kOpenReadFromDisk, path);
}

FsResult<FileId> MemoryFileSystem::Open(FsOp op, const std::string& path) {
  if (HasWildcard(path)) return {0, FsError::kInvalidName};
  const Fault* fault = Hit(op, path);
  if (fault && fault->mode != FaultMode::kCorrupt) return {0, fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {0, error};
  if (!at.child) return {0, FsError::kNotFound};
  if (at.child->node->folder) return {0, FsError::kAccessDenied};
  if (at.child->node->writers > 0) return {0, FsError::kSharingViolation};
  auto file = std::make_unique<OpenFile>();
  file->node = at.child->node;
  file->path = path;
  file->corrupt = fault != nullptr;
  ++file->node->readers;
  FileId id = nextFile_++;
  open_[id] = std::move(file);
  return {id, FsError::kOk};
}

FsResult<CreatedTemp> MemoryFileSystem::CreateTempFile(const std::string& folder) {
  if (HasWildcard(folder)) return {{}, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kCreateTempFile, folder)) return {{}, fault->error};
  std::shared_ptr<Node> parent;
  FsError error = ResolveFolder(folder, parent, 0);
  if (error != FsError::kOk) return {{}, error};
  std::string name;
  do {
    name = "~px" + std::to_string(nextTemp_++) + ".tmp";
  } while (parent->Find(name, nullptr));
  auto node = NewNode(false, parent->volume);
  parent->Insert(name, {name, node});
  auto file = std::make_unique<OpenFile>();
  file->node = node;
  file->write = true;
  ++node->writers;
  FileId id = nextFile_++;
  open_[id] = std::move(file);
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  return {{id, path + name}, FsError::kOk};
}

FsResult<FileId> MemoryFileSystem::CreateNewFile(const std::string& path) {
  if (HasWildcard(path)) return {0, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kCreateNewFile, path)) return {0, fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {0, error};
  if (!at.parent) return {0, FsError::kAccessDenied};  // a drive root
  if (at.child) return {0, FsError::kAlreadyExists};
  auto node = NewNode(false, at.parent->volume);
  at.parent->Insert(at.name, {at.name, node});
  auto file = std::make_unique<OpenFile>();
  file->node = node;
  file->write = true;
  ++node->writers;
  FileId id = nextFile_++;
  open_[id] = std::move(file);
  return {id, FsError::kOk};
}

FsResult<size_t> MemoryFileSystem::Read(FileId file, void* buffer, size_t size) {
  const Fault* fault = Hit(FsOp::kRead);
  if (fault && fault->mode == FaultMode::kFail) return {0, fault->error};
  auto it = open_.find(file);
  if (it == open_.end() || it->second->write) return {0, FsError::kAccessDenied};
  OpenFile& open = *it->second;
  if (fault && fault->mode == FaultMode::kEarlyEnd) return {0, FsError::kOk};
  std::string& data = open.node->data;
  if (fault && (fault->mode == FaultMode::kGrow || fault->mode == FaultMode::kShrink)) {
    Volume& volume = *volumes_[open.node->volume];
    const size_t before = data.size();
    if (fault->mode == FaultMode::kGrow) {
      data.append(std::max<size_t>(size, 1), '+');
    } else {
      data.resize(before / 2);
    }
    volume.used = volume.used - std::min<uint64_t>(volume.used, before) + data.size();
    open.node->writeTime = clock_++;
    changedByFault_ = open.path;
    changedBody_ = data;
  }
  size_t count = std::min(size, data.size() - std::min(data.size(), open.position));
  if (readChunk_ != 0) count = std::min(count, readChunk_);
  if (fault && fault->mode == FaultMode::kShortRead) count = std::min<size_t>(count, 1);
  if (count > 0) std::memcpy(buffer, data.data() + open.position, count);
  if (count > 0 && open.corrupt) {
    static_cast<char*>(buffer)[count / 2] ^= 0x20;
    ++bytesCorrupted_;
  }
  open.position += count;
  return {count, FsError::kOk};
}

FsStatus MemoryFileSystem::Write(FileId file, const void* data, size_t size) {
  const Fault* fault = Hit(FsOp::kWrite);
  auto it = open_.find(file);
  if (it == open_.end() || !it->second->write) return {FsError::kAccessDenied};
  Node& node = *it->second->node;
  Volume& volume = *volumes_[node.volume];
  size_t count = size;
  FsError error = FsError::kOk;
  if (fault && fault->mode == FaultMode::kFail) {
    count = size / 2;
    error = fault->error;
  }
  uint64_t room = volume.capacity - volume.used;
  if (count > room) {
    count = static_cast<size_t>(room);
    error = FsError::kDiskFull;
  }
  const size_t start = node.data.size();
  node.data.append(static_cast<const char*>(data), count);
  if (fault && fault->mode == FaultMode::kCorrupt && count > 0) {
    node.data[start + count / 2] ^= 0x20;
    ++bytesCorrupted_;
  }
  volume.used += count;
  node.writeTime = clock_++;
  return {error};
}

FsResult<uint64_t> MemoryFileSystem::SizeOf(FileId file) {
  const Fault* fault = Hit(FsOp::kSizeOf);
  if (fault && fault->mode == FaultMode::kFail) return {0, fault->error};
  auto it = open_.find(file);
  if (it == open_.end()) return {0, FsError::kInvalidName};
  const uint64_t length = it->second->node->data.size();
  if (fault && fault->mode == FaultMode::kShortLength) return {length - 1, FsError::kOk};
  return {length, FsError::kOk};
}

FsStatus MemoryFileSystem::Close(FileId file) {
  const Fault* fault = Hit(FsOp::kClose);
  auto it = open_.find(file);
  if (it == open_.end()) return {FsError::kInvalidName};
  Node& node = *it->second->node;
  if (it->second->write) {
    --node.writers;
    if (fault) {
      Volume& volume = *volumes_[node.volume];
      const size_t kept = node.data.size() / 2;
      volume.used -= std::min<uint64_t>(volume.used, node.data.size() - kept);
      node.data.resize(kept);
    }
  } else {
    --node.readers;
  }
  open_.erase(it);
  return {fault ? fault->error : FsError::kOk};
}

FsResult<EntryInfo> MemoryFileSystem::Lookup(const std::string& path) {
  if (HasWildcard(path)) return {{}, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kLookup, path)) return {{}, fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {{}, error};
  if (at.root) return {InfoOf("", *at.root), FsError::kOk};
  if (!at.child) return {{}, FsError::kNotFound};
  return {InfoOf(at.child->name, *at.child->node), FsError::kOk};
}

FsResult<std::vector<EntryInfo>> MemoryFileSystem::List(const std::string& folder) {
  if (HasWildcard(folder)) return {{}, FsError::kInvalidName};
  const Fault* fault = Hit(FsOp::kList, folder);
  if (fault && fault->mode != FaultMode::kPartialList) return {{}, fault->error};
  std::shared_ptr<Node> node;
  FsError error = ResolveFolder(folder, node, 0);
  if (error != FsError::kOk) return {{}, error};
  std::vector<EntryInfo> entries;
  entries.reserve(node->children.size());
  for (const auto& [key, child] : node->children) entries.push_back(InfoOf(child.name, *child.node));
  if (fault) {
    entries.resize(entries.size() / 2);
    return {std::move(entries), fault->error};
  }
  std::string key = FoldName(folder);
  if (key.empty() || key.back() != '\\') key += '\\';
  ++listCounts_[key];
  return {std::move(entries), FsError::kOk};
}

FsStatus MemoryFileSystem::CreateFolder(const std::string& folder) {
  if (HasWildcard(folder)) return {FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kCreateFolder, folder)) return {fault->error};
  Located at;
  FsError error = Locate(folder, at);
  if (error != FsError::kOk) return {error};
  if (at.root) return {FsError::kAlreadyExists};
  if (at.child) return {at.child->node->folder ? FsError::kAlreadyExists : FsError::kFileInTheWay};
  at.parent->Insert(at.name, {at.name, NewNode(true, at.parent->volume)});
  return {};
}

FsStatus MemoryFileSystem::RemoveFolder(const std::string& folder, const FileIdentity& expected) {
  if (HasWildcard(folder)) return {FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kRemoveFolder, folder)) return {fault->error};
  Located at;
  FsError error = Locate(folder, at);
  if (error != FsError::kOk) return {error};
  if (at.root) return {FsError::kAccessDenied};
  if (!at.child) return {FsError::kNotFound};
  const Node& node = *at.child->node;
  if (!node.folder) return {FsError::kAccessDenied};
  if (node.link || at.child->name != at.name) return {FsError::kReplaced};
  if (FileIdentity{volumes_.at(node.volume)->serial, node.index} != expected) return {FsError::kReplaced};
  if (!node.children.empty()) return {FsError::kNotEmpty};
  at.parent->Erase(at.key);
  return {};
}

FsStatus MemoryFileSystem::RemoveLink(const std::string& path) {
  if (HasWildcard(path)) return {FsError::kInvalidName};
  const Fault* fault = Hit(FsOp::kRemoveLink, path);
  if (fault && fault->mode != FaultMode::kFollowLink) return {fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {error};
  if (!at.child) return {at.root ? FsError::kAccessDenied : FsError::kNotFound};
  if (!at.child->node->link || linksOnlyFollowed_) return {FsError::kAccessDenied};
  if (fault && fault->mode == FaultMode::kFollowLink) {
    // A platform that reaches only the target removes that, if empty.
    Located target;
    if (Locate(at.child->node->linkTarget, target) == FsError::kOk && target.child &&
        target.child->node->folder && target.child->node->children.empty()) {
      target.parent->Erase(target.key);
    }
    return {};
  }
  at.parent->Erase(at.key);
  return {};
}

FsStatus MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (HasWildcard(path)) return {FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kSetAttributes, path)) return {fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {error};
  if (!at.child) return {at.root ? FsError::kAccessDenied : FsError::kNotFound};
  at.child->node->attributes = attributes & ~(kAttrDirectory | kAttrReparsePoint);
  return {};
}

FsStatus MemoryFileSystem::RemoveFile(const std::string& path) {
  if (HasWildcard(path)) return {FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kRemoveFile, path)) return {fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {error};
  if (!at.child) return {at.root ? FsError::kAccessDenied : FsError::kNotFound};
  std::shared_ptr<Node> node = at.child->node;
  if (node->folder || (node->attributes & kAttrReadOnly)) return {FsError::kAccessDenied};
  if (IsOpen(node.get())) return {FsError::kSharingViolation};
  at.parent->Erase(at.key);
  Release(node);
  return {};
}

FsStatus MemoryFileSystem::Rename(const std::string& from, const std::string& to, uint32_t flags) {
  if (HasWildcard(from) || HasWildcard(to)) return {FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kRename, from)) return {fault->error};
  Located source, target;
  FsError error = Locate(from, source);
  if (error != FsError::kOk) return {error};
  if (!source.child) return {FsError::kNotFound};
  error = Locate(to, target);
  if (error != FsError::kOk) return {error};
  if (target.root) return {FsError::kAccessDenied};
  std::shared_ptr<Node> node = source.child->node;
  if (target.parent->volume != node->volume) return {FsError::kNotSameDevice};
  if (IsOpen(node.get())) return {FsError::kSharingViolation};
  if (node->folder && target.parent != source.parent) return {FsError::kAccessDenied};
  if (target.child) {
    if (target.parent == source.parent && target.key == source.key) {
      Node::Child moved = *source.child;  // a change of case only
      source.parent->Erase(source.key);
      moved.name = target.name;
      target.parent->Insert(target.name, std::move(moved));
      return {};
    }
    if (!(flags & kRenameReplaceExisting)) return {FsError::kAlreadyExists};
    std::shared_ptr<Node> old = target.child->node;
    if (old->folder || (old->attributes & kAttrReadOnly)) return {FsError::kAccessDenied};
    if (IsOpen(old.get())) return {FsError::kSharingViolation};
    target.parent->Erase(target.key);
    Release(old);
  }
  Node::Child moved = *source.child;
  source.parent->Erase(source.key);
  moved.name = target.name;
  target.parent->Insert(target.name, std::move(moved));
  return {};
}

FsResult<FileIdentity> MemoryFileSystem::Identity(const std::string& path) {
  if (HasWildcard(path)) return {{}, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kIdentity, path)) return {{}, fault->error};
  Located at;
  FsError error = Locate(path, at);
  if (error != FsError::kOk) return {{}, error};
  std::shared_ptr<Node> node = at.root ? at.root : at.child ? at.child->node : nullptr;
  if (!node) return {{}, FsError::kNotFound};
  if (node->link) {
    error = ResolveFolder(node->linkTarget, node, 1);
    if (error != FsError::kOk) return {{}, error};
  }
  return {{volumes_[node->volume]->serial, node->index}, FsError::kOk};
}

FsResult<std::string> MemoryFileSystem::RealPath(const std::string& path) {
  if (HasWildcard(path)) return {{}, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kRealPath, path)) return {{}, fault->error};
  std::string real;
  FsError error = ResolveReal(path, real, 0);
  return {error == FsError::kOk ? real : std::string(), error};
}

FsResult<bool> MemoryFileSystem::CanRecycle(const std::string& path) {
  if (HasWildcard(path)) return {false, FsError::kInvalidName};
  if (const Fault* fault = Hit(FsOp::kCanRecycle, path)) {
    if (fault->mode == FaultMode::kNoBin) return {false, FsError::kOk};
    return {false, fault->error};
  }
  Located at;
  FsError error = Locate(path, at);
  if (error == FsError::kOk && !at.child) error = FsError::kNotFound;
  if (error != FsError::kOk) return {false, error};
  return {BinTakes(*at.child->node), FsError::kOk};
}

RecycleResult MemoryFileSystem::Recycle(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (HasWildcard(path)) return RecycleResult::kFailed;
  }
  if (const Fault* fault = Hit(FsOp::kRecycle, paths.empty() ? std::string() : paths[0])) {
    if (fault->mode == FaultMode::kRecycleAbort) return RecycleResult::kAborted;
    if (fault->mode == FaultMode::kRecycleKeep) return RecycleResult::kDone;
    if (fault->mode == FaultMode::kNoBin) return RecycleResult::kNoBin;
    return RecycleResult::kFailed;
  }
  RecycleResult result = RecycleResult::kDone;
  for (const std::string& path : paths) {
    Located at;
    if (Locate(path, at) != FsError::kOk || !at.child || IsOpen(at.child->node.get())) {
      result = RecycleResult::kFailed;
      continue;
    }
    // As the platform stops at an entry it would have to delete for good.
    if (!BinTakes(*at.child->node)) return RecycleResult::kNoBin;
    std::shared_ptr<Node> node = at.child->node;
    at.parent->Erase(at.key);
    Release(node);
  }
  return result;
}

}  // namespace px
