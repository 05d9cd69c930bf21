#include "dicom/internal/outbound/ArchiveProposal.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <algorithm>

namespace quorin::dicom {

namespace {

bool HasContext(const std::vector<ProposedContext>& contexts, const ProposedContext& wanted)
{
    return std::any_of(contexts.begin(), contexts.end(), [&](const ProposedContext& c) {
        return c.abstractSyntax == wanted.abstractSyntax && c.transferSyntaxes == wanted.transferSyntaxes;
    });
}

// The contexts one kind needs that are not in `contexts` yet.
std::vector<ProposedContext> MissingContexts(const std::vector<ProposedContext>& contexts,
                                             const ImageKind& kind)
{
    const ProposedContext original{kind.sopClassUid, {kind.transferSyntaxUid}};
    const ProposedContext uncompressed{kind.sopClassUid,
                                       {UID_LittleEndianExplicitTransferSyntax,
                                        UID_LittleEndianImplicitTransferSyntax}};
    std::vector<ProposedContext> missing;
    for (const ProposedContext& context : {original, uncompressed}) {
        if (!HasContext(contexts, context))
            missing.push_back(context);
    }
    return missing;
}

} // namespace

void ArchiveProposal::remember(const ImageKind& kind)
{
    m_kinds.erase(std::remove(m_kinds.begin(), m_kinds.end(), kind), m_kinds.end());
    m_kinds.push_front(kind);
    // Kinds beyond what one association can hold would never be proposed.
    while (m_kinds.size() > kMaxContexts)
        m_kinds.pop_back();
}

std::vector<ProposedContext> ArchiveProposal::contexts() const
{
    std::vector<ProposedContext> contexts;
    for (const ImageKind& kind : m_kinds) {
        const std::vector<ProposedContext> missing = MissingContexts(contexts, kind);
        if (contexts.size() + missing.size() > kMaxContexts)
            break;
        contexts.insert(contexts.end(), missing.begin(), missing.end());
    }
    return contexts;
}

bool ContextsCover(const std::vector<ProposedContext>& contexts, const ImageKind& kind)
{
    return MissingContexts(contexts, kind).empty();
}

} // namespace quorin::dicom
