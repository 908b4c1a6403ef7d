#include "reader/ThreadOrder.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace marvik::reader {

namespace {

// The parent of each row, by index into `rows`, before cycles are cut.
std::vector<int> parentsOf(const std::vector<ThreadInput> &rows)
{
    const int count = int(rows.size());
    QHash<QString, int> byId;
    QHash<std::pair<int, int>, int> byNumber;
    byId.reserve(count);
    byNumber.reserve(count);
    // The first of two rows with one id or number is the one answered.
    for (int i = 0; i < count; ++i) {
        if (!rows[i].messageId.isEmpty() && !byId.contains(rows[i].messageId))
            byId.insert(rows[i].messageId, i);
        const std::pair<int, int> number {rows[i].conference, rows[i].messageNumber};
        if (!byNumber.contains(number))
            byNumber.insert(number, i);
    }

    std::vector<int> parent(size_t(count), -1);
    for (int i = 0; i < count; ++i) {
        const ThreadInput &row = rows[i];
        int found = -1;
        if (!row.inReplyTo.isEmpty())
            found = byId.value(row.inReplyTo, -1);
        if (found < 0 && row.referenceNumber > 0)
            found = byNumber.value({row.conference, row.referenceNumber}, -1);
        if (found != i)
            parent[size_t(i)] = found;
    }
    return parent;
}

// Breaks every loop of parents: the earliest row of a loop becomes a root,
// so the rest of the loop hangs under it.
void cutCycles(std::vector<int> &parent)
{
    enum State : char { Unseen, OnPath, Done };
    std::vector<State> state(parent.size(), Unseen);
    std::vector<int> path;
    for (int start = 0; start < int(parent.size()); ++start) {
        path.clear();
        int at = start;
        while (at >= 0 && state[size_t(at)] == Unseen) {
            state[size_t(at)] = OnPath;
            path.push_back(at);
            at = parent[size_t(at)];
        }
        if (at >= 0 && state[size_t(at)] == OnPath) {
            const auto loop = std::find(path.begin(), path.end(), at);
            parent[size_t(*std::min_element(loop, path.end()))] = -1;
        }
        for (const int row : path)
            state[size_t(row)] = Done;
    }
}

} // namespace

std::vector<ThreadRow> ThreadOrder::build(const std::vector<ThreadInput> &rows)
{
    std::vector<int> parent = parentsOf(rows);
    cutCycles(parent);

    // Children as contiguous runs, in input order.
    const int count = int(rows.size());
    std::vector<int> firstChild(size_t(count) + 1, 0);
    for (const int p : parent) {
        if (p >= 0)
            ++firstChild[size_t(p) + 1];
    }
    for (int i = 0; i < count; ++i)
        firstChild[size_t(i) + 1] += firstChild[size_t(i)];
    std::vector<int> children(size_t(firstChild.back()));
    std::vector<int> filled(firstChild.begin(), firstChild.end() - 1);
    for (int i = 0; i < count; ++i) {
        if (parent[size_t(i)] >= 0)
            children[size_t(filled[size_t(parent[size_t(i)])]++)] = i;
    }

    std::vector<ThreadRow> out;
    out.reserve(size_t(count));
    // An explicit stack: a chain of 100,000 answers must not overflow.
    struct Pending
    {
        int row;
        int depth;
        int outParent;
    };
    std::vector<Pending> stack;
    for (int root = 0; root < count; ++root) {
        if (parent[size_t(root)] >= 0)
            continue;
        stack.push_back({root, 0, -1});
        while (!stack.empty()) {
            const Pending next = stack.back();
            stack.pop_back();
            const int at = int(out.size());
            out.push_back({rows[size_t(next.row)].key, next.depth, next.outParent});
            const int from = firstChild[size_t(next.row)];
            for (int c = firstChild[size_t(next.row) + 1] - 1; c >= from; --c)
                stack.push_back({children[size_t(c)], next.depth + 1, at});
        }
    }
    return out;
}

} // namespace marvik::reader
