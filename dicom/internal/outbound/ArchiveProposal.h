#pragma once
// What the relay proposes when it opens an association to the archive: for
// every kind of image seen on the receiving association so far, a context
// with the image's own transfer syntax and an uncompressed fallback. Kept
// across images, so consecutive images of the same kinds share one
// association.

#include <deque>
#include <string>
#include <vector>

namespace quorin::dicom {

struct ImageKind {
    std::string sopClassUid;
    std::string transferSyntaxUid;
    bool operator==(const ImageKind&) const = default;
};

struct ProposedContext {
    std::string abstractSyntax;
    std::vector<std::string> transferSyntaxes;
};

class ArchiveProposal {
public:
    // One association holds at most 128 contexts; a little headroom is kept.
    static constexpr std::size_t kMaxContexts = 120;

    // Records a kind of image, most recent first.
    void remember(const ImageKind& kind);

    // The contexts to propose: the most recent kinds first, as many as fit.
    std::vector<ProposedContext> contexts() const;

private:
    std::deque<ImageKind> m_kinds; // most recent first, no repeats
};

// Whether `contexts` hold everything an image of `kind` needs.
bool ContextsCover(const std::vector<ProposedContext>& contexts, const ImageKind& kind);

} // namespace quorin::dicom
