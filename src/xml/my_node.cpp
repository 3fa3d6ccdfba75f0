// The node tree's look-ups by name, paths and lines.
#include "xml/my_node.h"

#include <algorithm>
#include <cstring>

namespace zz {

namespace {

constexpr size_t kFirstNodeBlock = 64;
constexpr size_t kMaxNodeBlock = 16384;
constexpr size_t kFirstTextBlock = 4096;
constexpr size_t kMaxTextBlock = 64 * 1024;
// Per node beyond the node itself: its place in the by-name list and index and in its parent's
// children.
constexpr size_t kNodeIndexBytes = sizeof(TMyNode*) + sizeof(uint32_t) + sizeof(TMyNode*);

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view TrimView(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------

const TMyAttrib* TMyAttribs::getNamedItem(std::string_view name) const {
  for (const TMyAttrib& a : *this)
    if (a.name() == name) return &a;
  return nullptr;
}

const std::string& TMyNode::NodeName() const { return fTree->fNames[fName]; }

TMyAttribs TMyNode::Attributes() const {
  if (fAttrCount == 0) return {};
  return TMyAttribs(fTree->fAttribs.data() + fAttrFirst, fAttrCount);
}

TMyNodeList TMyNode::ChildNodes() const {
  if (fChildCount == 0) return {};
  return TMyNodeList(fTree->fChildren.data() + fChildFirst, fChildCount);
}

TMyNodeList TMyNode::SelectNodes(std::string_view name) const {
  if (fChildCount == 0) return {};
  uint32_t id = fTree->FindName(name);
  if (id == TMyTree::kNoName) return {};
  TMyNodeList kids = ChildNodes();
  auto lo = std::partition_point(kids.begin(), kids.end(), [id](TMyNode* n) { return n->fName < id; });
  auto hi = std::partition_point(lo, kids.end(), [id](TMyNode* n) { return n->fName == id; });
  return TMyNodeList(lo, hi);
}

TMyNode* TMyNode::SelectSingleNode(std::string_view name) const {
  TMyNodeList found = SelectNodes(name);
  return found.empty() ? nullptr : found.front();
}

TMyNodeList TMyNode::GetElementsByTagName(std::string_view name) const {
  if (fEnd <= fIndex + 1) return {};
  uint32_t id = fTree->FindName(name);
  if (id == TMyTree::kNoName) return {};
  const uint32_t* index = fTree->fByNameIndex.data();
  const uint32_t* first = index + fTree->fNameStart[id];
  const uint32_t* last = index + fTree->fNameStart[id + 1];
  const uint32_t* lo = std::upper_bound(first, last, fIndex);
  const uint32_t* hi = std::lower_bound(lo, last, fEnd);
  return TMyNodeList(fTree->fByName.data() + (lo - index), static_cast<size_t>(hi - lo));
}

std::string TMyNode::GetXPath() const {
  std::vector<const TMyNode*> chain;
  for (const TMyNode* n = this; n; n = n->fParent) chain.push_back(n);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '/';
    path += (*it)->NodeName();
    if ((*it)->fNodeNumber != 0) {
      path += '[';
      path += std::to_string((*it)->fNodeNumber);
      path += ']';
    }
  }
  return path;
}

// ---------------------------------------------------------------------------------------------------

std::shared_ptr<const TElementPaths> TMyTree::ElementPaths() const {
  if (fPaths) return fPaths;
  auto paths = std::make_shared<TElementPaths>();
  paths->fNames.assign(fNames.begin(), fNames.end());
  paths->fEntries.resize(fNodeCount);
  for (const auto& block : fBlocks)
    for (const TMyNode& n : block)
      paths->fEntries[n.fIndex] = {n.fParent ? n.fParent->fIndex : TElementPaths::kNoParent, n.fName, n.fNodeNumber};
  fPaths = std::move(paths);
  return fPaths;
}

uint32_t TMyTree::FindName(std::string_view name) const {
  // Readers ask for the same few names, held in the same strings, over and over: the last answers
  // by the name's address spare hashing it. A hit is confirmed by the tree and the text; per thread,
  // since trees are read on several.
  struct TSlot {
    const TMyTree* Tree = nullptr;
    const char* Data = nullptr;
    size_t Size = 0;
    uint32_t Id = 0;
  };
  constexpr size_t kSlots = 64;
  thread_local TSlot slots[kSlots];
  TSlot& slot = slots[(reinterpret_cast<uintptr_t>(name.data()) >> 3) % kSlots];
  if (slot.Tree == this && slot.Data == name.data() && slot.Size == name.size() && slot.Id < fNames.size() &&
      fNames[slot.Id] == name)
    return slot.Id;
  auto it = fNameIds.find(name);
  if (it == fNameIds.end()) return kNoName;
  slot = {this, name.data(), name.size(), it->second};
  return it->second;
}

// ---------------------------------------------------------------------------------------------------

TMyTreeBuilder::TMyTreeBuilder() : fTree(std::make_unique<TMyTree>()) {}

TMyNode* TMyTreeBuilder::NewNode() {
  auto& blocks = fTree->fBlocks;
  if (blocks.empty() || blocks.back().size() == blocks.back().capacity()) {
    size_t size = blocks.empty() ? kFirstNodeBlock : std::min(blocks.back().capacity() * 2, kMaxNodeBlock);
    blocks.emplace_back();
    blocks.back().reserve(size);
    fMemory += size * (sizeof(TMyNode) + kNodeIndexBytes);
  }
  TMyNode& node = blocks.back().emplace_back();
  node.fTree = fTree.get();
  node.fIndex = static_cast<uint32_t>(fTree->fNodeCount++);
  return &node;
}

uint32_t TMyTreeBuilder::NameId(std::string_view name) {
  TNameSlot& slot = fNameSlots[(reinterpret_cast<uintptr_t>(name.data()) >> 3) % kNameSlots];
  if (slot.Data == name.data() && slot.Size == name.size() && fTree->fNames[slot.Id] == name) return slot.Id;
  uint32_t id;
  if (auto it = fTree->fNameIds.find(name); it != fTree->fNameIds.end()) {
    id = it->second;
  } else {
    id = static_cast<uint32_t>(fTree->fNames.size());
    // The name, its map entry and its slice bound.
    fMemory += sizeof(std::string) + name.size() + 4 * sizeof(void*) + sizeof(uint32_t);
    fTree->fNames.emplace_back(name);
    fTree->fNameIds.emplace(fTree->fNames.back(), id);
  }
  slot = {name.data(), name.size(), id};
  return id;
}

std::string_view TMyTreeBuilder::Store(std::string_view s) {
  if (s.empty()) return {};
  TMyTree& t = *fTree;
  if (s.size() > t.fTextLeft) {
    // Small documents get small blocks; big ones soon reach the largest size.
    size_t blockSize = std::min(kFirstTextBlock << std::min<size_t>(t.fTextBlocks.size(), 8), kMaxTextBlock);
    if (s.size() > blockSize / 4) {
      // A long value gets a block of its own and leaves the current one in use.
      t.fTextBlocks.push_back(std::make_unique_for_overwrite<char[]>(s.size()));
      fMemory += s.size();
      std::memcpy(t.fTextBlocks.back().get(), s.data(), s.size());
      return std::string_view(t.fTextBlocks.back().get(), s.size());
    }
    t.fTextBlocks.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
    fMemory += blockSize;
    t.fTextFree = t.fTextBlocks.back().get();
    t.fTextLeft = blockSize;
  }
  std::memcpy(t.fTextFree, s.data(), s.size());
  std::string_view stored(t.fTextFree, s.size());
  t.fTextFree += s.size();
  t.fTextLeft -= s.size();
  return stored;
}

void TMyTreeBuilder::FlushRun() {
  if (fRun.empty()) return;
  if (fCurrentRootNode) {
    // One run counts as one line however many breaks it holds.
    if (fRun.find('\n') != std::string::npos) ++fCurrentLine;
    std::string_view trimmed = TrimView(fRun);
    if (trimmed.find('\n') == std::string_view::npos) {
      fCurrentRootNode->fText = Store(trimmed);
    } else {
      std::string crlf;
      crlf.reserve(trimmed.size() + 16);
      for (size_t i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] == '\n' && (i == 0 || trimmed[i - 1] != '\r')) crlf += '\r';
        crlf += trimmed[i];
      }
      fCurrentRootNode->fText = Store(crlf);
    }
  }
  fRun.clear();
}

void TMyTreeBuilder::StartElement(std::string_view name) {
  if (RootClosed()) return;
  FlushRun();
  TMyNode* node = NewNode();
  node->fName = NameId(name);
  node->fLineNumber = fCurrentLine;
  node->fParent = fCurrentRootNode;
  node->fAttrFirst = static_cast<uint32_t>(fTree->fAttribs.size());
  if (!fRoot) {
    fRoot = node;
    fTree->fRoot = node;
  }
  if (fCurrentRootNode) ++fCurrentRootNode->fChildCount;
  fCurrentRootNode = node;
  ++fDepth;
}

void TMyTreeBuilder::AddAttribute(std::string_view name, std::string_view value) {
  if (fCurrentRootNode == nullptr || fTree->fNodeCount == 0) return;
  // Only the element started last may still take attributes.
  TMyNode& last = fTree->fBlocks.back().back();
  if (&last != fCurrentRootNode) return;
  fReceived += value.size();
  TMyAttrib a;
  a.fName = fTree->fNames[NameId(name)];
  a.fText = Store(value);
  fMemory += 2 * sizeof(TMyAttrib);  // the array grows by doubling
  fTree->fAttribs.push_back(a);
  ++last.fAttrCount;
}

void TMyTreeBuilder::Characters(std::string_view piece) {
  if (fCurrentRootNode == nullptr) return;
  fReceived += piece.size();
  fRun.append(piece);
}

void TMyTreeBuilder::EndElement(std::string_view name) {
  FlushRun();
  if (fCurrentRootNode == nullptr || fCurrentRootNode->NodeName() != name) return;
  fCurrentRootNode->fEnd = static_cast<uint32_t>(fTree->fNodeCount);
  fCurrentRootNode = fCurrentRootNode->fParent;
  --fDepth;
}

TMyTreePtr TMyTreeBuilder::Finish() {
  if (!fRoot) return {};
  FlushRun();
  TMyTree& t = *fTree;
  const auto count = static_cast<uint32_t>(t.fNodeCount);
  for (TMyNode* n = fCurrentRootNode; n; n = n->fParent) n->fEnd = count;
  fCurrentRootNode = nullptr;

  auto forEachNode = [&t](auto&& fn) {
    for (auto& block : t.fBlocks)
      for (TMyNode& n : block) fn(n);
  };

  // Per name its nodes in document order: a counting sort by name id.
  const size_t names = t.fNames.size();
  t.fNameStart.assign(names + 1, 0);
  forEachNode([&](TMyNode& n) { ++t.fNameStart[n.fName + 1]; });
  for (size_t i = 1; i <= names; ++i) t.fNameStart[i] += t.fNameStart[i - 1];
  t.fByName.resize(count);
  t.fByNameIndex.resize(count);
  {
    std::vector<uint32_t> fill(t.fNameStart.begin(), t.fNameStart.end() - 1);
    forEachNode([&](TMyNode& n) {
      uint32_t at = fill[n.fName]++;
      t.fByName[at] = &n;
      t.fByNameIndex[at] = n.fIndex;
    });
  }

  // Children slices, filled in by-name order so that each slice comes out grouped by name id.
  t.fChildren.resize(count - 1);
  uint32_t pos = 0;
  forEachNode([&](TMyNode& n) {
    n.fChildFirst = pos;
    pos += n.fChildCount;
    n.fChildCount = 0;
  });
  for (TMyNode* n : t.fByName)
    if (TMyNode* p = n->fParent) t.fChildren[p->fChildFirst + p->fChildCount++] = n;

  // Same-named siblings are numbered from 1; a single one keeps 0.
  forEachNode([&](TMyNode& p) {
    TMyNode* const* kids = t.fChildren.data() + p.fChildFirst;
    for (uint32_t i = 0; i < p.fChildCount;) {
      uint32_t j = i + 1;
      while (j < p.fChildCount && kids[j]->fName == kids[i]->fName) ++j;
      if (j - i > 1)
        for (uint32_t k = i; k < j; ++k) kids[k]->fNodeNumber = static_cast<int32_t>(k - i + 1);
      i = j;
    }
  });

  fRoot = nullptr;
  return TMyTreePtr(std::move(fTree));
}

}  // namespace zz
