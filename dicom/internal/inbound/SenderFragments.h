#pragma once
// The fragments of one data set as its sender's P-DATA brings them, read
// one at a time through the toolkit's DUL layer, so that each can be passed
// on before the next arrives. Each must be a data set fragment of the
// command's presentation context, of even length.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>
#include <dcmtk/dcmnet/dul.h>

#include <chrono>
#include <cstdint>

namespace quorin::dicom {

class SenderFragments {
public:
    SenderFragments(T_ASC_Association* association, T_ASC_PresentationContextID contextId);

    // The next fragment; its bytes stay valid until the next call. An error
    // when the sender went, stayed silent too long or broke the rules.
    OFCondition next(DUL_PDV& fragment);
    // The last fragment has been read.
    bool finished() const { return m_finished; }
    // Reads and drops what is left, so the sender can be answered.
    OFCondition discardRest();

    // The pace the data set arrived at: the fragments after the first,
    // their bytes, and how long the relay waited for them. A link slower
    // than the relay shows its own pace; where the relay is the slower one
    // (its CPU, the archive's link) it hardly waits, and the sender counts
    // as fast.
    struct Pace {
        int fragments = 0;
        std::uint64_t bytes = 0;
        std::chrono::nanoseconds waited{0};
    };
    Pace pace() const { return m_pace; }

private:
    using Clock = std::chrono::steady_clock;

    OFCondition readFragment(DUL_PDV& fragment);
    void count(const DUL_PDV& fragment);

    T_ASC_Association* m_association;
    T_ASC_PresentationContextID m_contextId;
    bool m_finished = false;
    bool m_counting = false; // past the first fragment
    Pace m_pace;
};

} // namespace quorin::dicom
