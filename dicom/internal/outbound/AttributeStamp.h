#pragma once
// Writes one text attribute into a dataset in a character set the dataset
// can carry.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>

#include <QString>

namespace quorin::dicom {

// ASCII is written as is. Other text is encoded in the dataset's declared
// Specific Character Set (0008,0005); when none is declared, or the declared
// one cannot carry the text, the whole dataset is recoded to UTF-8
// ("ISO_IR 192") first, so no element holds bytes its declared character set
// does not define. A dataset with ISO 2022 code extensions (or several
// character sets) is never recoded: the text goes in as Latin-1 behind an
// escape sequence, "ISO 2022 IR 100" is added to its character sets, and
// characters Latin-1 lacks are transliterated. Returns an empty text on
// success, else what went wrong.
QString StampAttribute(DcmDataset& dataset, quint16 group, quint16 element, const QString& value);

// Whether stampAttribute would recode the whole dataset for `value`: text
// beyond ASCII that the declared character set (if any) cannot carry and
// no code extensions are in use.
bool StampRecodesDataset(DcmDataset& dataset, const QString& value);

} // namespace quorin::dicom
