#pragma once
// The XML node tree: every XML input is read into one of these and navigated only by name look-ups.
//
// A tree keeps its nodes in document order in a few flat arrays. Each node knows where its subtree
// ends, so "all descendants called X" is a binary-searched slice of the per-name list of nodes, and
// "children called X" is a slice of the node's children, which are stored grouped by name. No look-up
// walks the tree and memory stays linear in the number of nodes.
//
// Every list a look-up returns is a view into arrays owned by the tree; it stays valid as long as the
// tree, and so as long as the node it was asked of. Nothing changes a tree once it is built.
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xml/element_paths.h"

namespace zz {

class TMyNode;
class TMyTree;

// A list of nodes in document order (or, for ChildNodes, grouped by name). Empty when nothing matched.
using TMyNodeList = std::span<TMyNode* const>;

class TMyAttrib {
 public:
  // Qualified name as written ("xmlns:ЕФС" included).
  std::string_view name() const { return fName; }
  // Value with entity and character references decoded.
  std::string_view text() const { return fText; }

 private:
  friend class TMyTreeBuilder;
  std::string_view fName;
  std::string_view fText;
};

// The attributes of one element, in document order.
class TMyAttribs {
 public:
  TMyAttribs() = default;
  TMyAttribs(const TMyAttrib* first, uint32_t count) : fFirst(first), fCount(count) {}
  // Null when the element has no attribute of that exact qualified name.
  const TMyAttrib* getNamedItem(std::string_view name) const;
  int Count() const { return static_cast<int>(fCount); }
  const TMyAttrib* begin() const { return fFirst; }
  const TMyAttrib* end() const { return fFirst + fCount; }

 private:
  const TMyAttrib* fFirst = nullptr;
  uint32_t fCount = 0;
};

class TMyNode {
 public:
  // 0 when the node is the only child of its name under its parent, otherwise its 1-based position
  // among those same-named children. The root keeps 0.
  int NodeNumber() const { return fNodeNumber; }
  // Approximate source line: one more for every run of character data holding a line break.
  int LineNumber() const { return fLineNumber; }
  // Qualified name exactly as written; prefixes are kept and never resolved.
  const std::string& NodeName() const;
  // Trimmed last run of character data directly inside the element; line breaks are CR LF.
  std::string_view text() const { return fText; }
  TMyNode* parent() const { return fParent; }
  TMyAttribs Attributes() const;

  // Direct children called name, in document order.
  TMyNodeList SelectNodes(std::string_view name) const;
  // First direct child called name, or null.
  TMyNode* SelectSingleNode(std::string_view name) const;
  // All descendants called name at any depth (not the node itself), in document order.
  TMyNodeList GetElementsByTagName(std::string_view name) const;
  // All direct children, grouped by name (each group in document order, groups in no fixed order).
  TMyNodeList ChildNodes() const;
  // "/a/b/c[2]": the parent's path, "/", the name and, when NodeNumber is not 0, "[NodeNumber]".
  std::string GetXPath() const;
  // Position in document order, and the tree the node belongs to.
  uint32_t Index() const { return fIndex; }
  const TMyTree& Tree() const { return *fTree; }

 private:
  friend class TMyTree;
  friend class TMyTreeBuilder;
  const TMyTree* fTree = nullptr;
  TMyNode* fParent = nullptr;
  std::string_view fText;
  uint32_t fIndex = 0;       // position in document order
  uint32_t fEnd = 0;         // one past the last node of the subtree
  uint32_t fName = 0;        // id of NodeName in the tree's name table
  uint32_t fChildFirst = 0;  // slice of the tree's children array
  uint32_t fChildCount = 0;
  uint32_t fAttrFirst = 0;  // slice of the tree's attribute array
  uint32_t fAttrCount = 0;
  int32_t fNodeNumber = 0;
  int32_t fLineNumber = 1;
};

// Owns every node, name, text and attribute of one document.
class TMyTree {
 public:
  TMyTree() = default;
  TMyTree(const TMyTree&) = delete;
  TMyTree& operator=(const TMyTree&) = delete;

  TMyNode* Root() const { return fRoot; }
  size_t NodeCount() const { return fNodeCount; }
  // The paths of every element, made on the first call and shared with whoever keeps them past the
  // tree's life (records of the model point at elements of files long released).
  std::shared_ptr<const TElementPaths> ElementPaths() const;

 private:
  friend class TMyNode;
  friend class TMyTreeBuilder;
  static constexpr uint32_t kNoName = UINT32_MAX;

  uint32_t FindName(std::string_view name) const;

  // Nodes live in blocks that never move, so pointers handed out while building stay valid.
  std::vector<std::vector<TMyNode>> fBlocks;
  size_t fNodeCount = 0;
  TMyNode* fRoot = nullptr;

  std::deque<std::string> fNames;  // deque: the map's keys point into these strings
  std::unordered_map<std::string_view, uint32_t> fNameIds;
  std::vector<uint32_t> fNameStart;    // per name id: its slice of fByName (size = names + 1)
  std::vector<TMyNode*> fByName;       // all nodes grouped by name, document order within a name
  std::vector<uint32_t> fByNameIndex;  // their document positions: binary search without touching nodes
  std::vector<TMyNode*> fChildren;     // per node its children, grouped by name id
  std::vector<TMyAttrib> fAttribs;
  mutable std::shared_ptr<const TElementPaths> fPaths;

  // Texts and attribute strings: bump-allocated in blocks that are never reallocated.
  std::vector<std::unique_ptr<char[]>> fTextBlocks;
  char* fTextFree = nullptr;
  size_t fTextLeft = 0;
};

// Owns a whole tree and behaves as a pointer to its root; null when nothing could be read.
class TMyTreePtr {
 public:
  TMyTreePtr() = default;
  explicit TMyTreePtr(std::unique_ptr<TMyTree> tree) : fTree(std::move(tree)) {}
  TMyNode* get() const { return fTree ? fTree->Root() : nullptr; }
  TMyNode* operator->() const { return get(); }
  TMyNode& operator*() const { return *get(); }
  explicit operator bool() const { return get() != nullptr; }
  const TMyTree* tree() const { return fTree.get(); }
  void reset() { fTree.reset(); }

 private:
  std::unique_ptr<TMyTree> fTree;
};

// Builds a tree from parser events with the counting rules of the node tree; also usable to build a
// tree by hand. Element ends are matched by name against the innermost open element.
class TMyTreeBuilder {
 public:
  TMyTreeBuilder();
  // Opens an element as the last child of the innermost open one (or as the root).
  void StartElement(std::string_view name);
  // Adds an attribute to the element opened last; call right after StartElement.
  void AddAttribute(std::string_view name, std::string_view value);
  // A piece of character data; pieces up to the next tag form one run.
  void Characters(std::string_view piece);
  void EndElement(std::string_view name);

  bool Started() const { return fRoot != nullptr; }
  // True once the root element has been closed: nothing after it belongs to the document.
  bool RootClosed() const { return fRoot != nullptr && fCurrentRootNode == nullptr; }
  // Bytes of character data and attribute values received so far.
  size_t ReceivedBytes() const { return fReceived; }
  // Memory the tree will hold once finished (nodes, their indexes, attributes, texts and names).
  size_t MemoryBytes() const { return fMemory; }
  // Elements open right now: the depth of the element started last.
  size_t Depth() const { return fDepth; }
  // Name of the innermost element still open; empty when none is.
  std::string OpenElementName() const { return fCurrentRootNode ? fCurrentRootNode->NodeName() : std::string(); }

  // Completes the indexes; null when no element was started. Open elements (a document that broke
  // off) stay attached to their parents.
  TMyTreePtr Finish();

 private:
  TMyNode* NewNode();
  uint32_t NameId(std::string_view name);
  std::string_view Store(std::string_view s);
  void FlushRun();

  // The parser hands over each name from its own dictionary, the same address every time: the
  // last ids found, by address, spare hashing the name again. A hit is confirmed by the text.
  struct TNameSlot {
    const char* Data = nullptr;
    size_t Size = 0;
    uint32_t Id = 0;
  };
  static constexpr size_t kNameSlots = 64;
  TNameSlot fNameSlots[kNameSlots];

  std::unique_ptr<TMyTree> fTree;
  TMyNode* fRoot = nullptr;             // first element started
  TMyNode* fCurrentRootNode = nullptr;  // innermost element still open
  int fCurrentLine = 2;                 // the XML declaration takes line 1
  std::string fRun;                     // character data since the last tag
  size_t fReceived = 0;
  size_t fMemory = 0;
  size_t fDepth = 0;
};

}  // namespace zz
