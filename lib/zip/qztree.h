#pragma once

#include <memory>

#include "core/qarray.h"
#include "core/qobarray.h"
#include "core/qstring.h"
#include "zip/qzfileitem.h"

namespace kiln {
namespace qzip {

// The archive's entries as a tree of path components. Lookup is exact
// (case-sensitive), the first entry for a path wins, and folders that only
// appear inside longer paths get made-up directory nodes.
class QZTree {
public:
    static constexpr wchar_t Separator = L'/';

    class Node {
    public:
        Node(const qstd::QString& name, const QZFileItem& item, Node* parent);
        Node(const Node&) = delete;
        Node& operator=(const Node&) = delete;
        ~Node();

        const qstd::QString& GetName() const { return name; }
        const QZFileItem& GetItem() const { return item; }
        unsigned GetChildCount() const { return children.GetCount(); }
        // index must be below GetChildCount(); children keep insertion order.
        const Node* GetChild(unsigned index) const { return children[index]; }

    private:
        friend class QZTree;

        Node* FindChild(const qstd::QString& component) const;
        Node* AddChild(const qstd::QString& component, const QZFileItem& childItem);
        void IndexChild(unsigned position);
        void RebuildIndex(unsigned slotCount);
        void DestroySubtree();

        qstd::QString name;
        QZFileItem item;
        qstd::QObArray<Node> children;
        Node* parent;
        // Open-addressed hash of the children's names (child position + 1,
        // 0 for a free slot), built once a folder grows past a few entries:
        // an archive may hold tens of thousands of entries in one folder.
        qstd::QArray<unsigned> index;
    };

    QZTree();
    QZTree(const QZTree&) = delete;
    QZTree& operator=(const QZTree&) = delete;
    ~QZTree();

    // An empty name (or one of separators only) inserts nothing.
    void Add(const QZFileItem& item);
    // Leading, trailing and doubled separators are ignored; the empty path
    // finds the root. False when there is no root or a component is missing.
    bool Find(const qstd::QString& path, QZFileItem& item) const;

    // Null until the first insertion.
    const Node* GetRoot() const { return root.get(); }

private:
    std::unique_ptr<Node> root;
};

}  // namespace qzip
}  // namespace kiln
