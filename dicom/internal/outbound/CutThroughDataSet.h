#pragma once
// A data set the toolkit sends to the archive while it arrives: the stamped
// head, then each fragment of the sender as it comes, read only as fast as
// the archive takes it. The toolkit sees an ordinary data set (it builds the
// command, frames the fragments, reads the answer); the last fragment is
// held back when the data set does not end where its elements do.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>
#include <dcmtk/dcmnet/assoc.h>

#include <chrono>
#include <vector>

namespace quorin::dicom {

class DataSetHead;
class SenderFragments;

class CutThroughDataSet : public DcmDataset {
public:
    enum class Failure {
        None,
        Sender,      // the sender went or broke the rules: no one to answer
        DataSetEnds, // the data set ends inside an element, or is no data set
    };

    CutThroughDataSet(std::vector<char> stampedHead, DataSetHead& head, SenderFragments& fragments);

    OFCondition write(DcmOutputStream& outStream, const E_TransferSyntax oxfer, const E_EncodingType enctype,
                      DcmWriteCache* wcache, const E_GrpLenEncoding glenc,
                      const E_PaddingEncoding padenc = EPD_noChange, const Uint32 padlen = 0,
                      const Uint32 subPadlen = 0, Uint32 instanceLength = 0) override;
    OFBool canWriteXfer(const E_TransferSyntax, const E_TransferSyntax = EXS_Unknown) override { return OFTrue; }
    OFBool isEmpty(const OFBool = OFTrue) override { return OFFalse; }

    // The association and context the toolkit sends on: fragments that need
    // no copy are written there directly.
    void sendOn(T_ASC_Association* archive, T_ASC_PresentationContextID contextId);

    Failure failure() const { return m_failure; }
    // Nothing read from the sender has gone out yet, so it can all be sent
    // again on a new association (start over with restart()).
    bool restartable() const { return !m_readLive; }
    void restart();
    // When the toolkit last took bytes (a write to the archive that stalls
    // is told by how long ago that was).
    std::chrono::steady_clock::time_point lastProgress() const { return m_lastProgress; }

private:
    bool nextPiece();
    bool writeDirectly();

    const std::vector<char> m_stampedHead;
    DataSetHead& m_head;
    SenderFragments& m_fragments;
    // The piece being copied out, and where.
    const char* m_piece = nullptr;
    std::size_t m_pieceLeft = 0;
    int m_pieceIndex = 0; // 0 stamped head, 1 the rest of the head's fragment, 2 and on live fragments
    bool m_pieceIsLast = false;
    bool m_readLive = false;
    T_ASC_Association* m_archive = nullptr;
    T_ASC_PresentationContextID m_contextId = 0;
    offile_off_t m_bufferSize = -1; // the toolkit's buffer, measured while empty at the first write
    Failure m_failure = Failure::None;
    std::chrono::steady_clock::time_point m_lastProgress = std::chrono::steady_clock::now();
};

} // namespace quorin::dicom
