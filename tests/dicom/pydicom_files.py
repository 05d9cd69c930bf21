"""Images made and read with pydicom, a toolkit other than the relay's.

pydicom_files.py write FILE CHARSET NAME
    Sets Specific Character Set (values separated by backslashes; none when
    empty) and Patient's Name, which pydicom encodes in that character set.
pydicom_files.py read FILE...
    Prints Operators' Name and Patient's Name of each file as pydicom decodes
    them, one a line (UTF-8). A value pydicom cannot decode fails.
pydicom_files.py group-lengths FILE [OPERATORS_NAME]
    Gives every group of the data set its group length, after adding a
    sequence of undefined length to group 0008 and, when given, Operators'
    Name.
pydicom_files.py wrong-group-lengths FILE...
    Prints each group length of the data sets that differs from the length of
    its group as encoded: "FILE gggg stored encoded". Fails when there is one.
"""
import sys

import pydicom
from pydicom import config
from pydicom.dataelem import DataElement
from pydicom.dataset import Dataset
from pydicom.filebase import DicomBytesIO, DicomFileLike
from pydicom.filewriter import write_data_element, write_file_meta_info
from pydicom.sequence import Sequence

config.settings.reading_validation_mode = config.RAISE
config.settings.writing_validation_mode = config.RAISE


def encoded_length(ds, elements):
    out = DicomBytesIO()
    out.is_little_endian, out.is_implicit_VR = ds.is_little_endian, ds.is_implicit_VR
    for element in elements:
        write_data_element(out, element)
    return len(out.getvalue())


def group_members(ds, group):
    return [e for e in ds if e.tag.group == group and e.tag.element != 0]


mode, files = sys.argv[1], sys.argv[2:]
if mode == 'write':
    path, charset, name = files
    ds = pydicom.dcmread(path)
    if charset:
        ds.SpecificCharacterSet = charset.split('\\')
    ds.PatientName = name
    ds.save_as(path)
elif mode == 'read':
    for path in files:
        ds = pydicom.dcmread(path)
        names = (ds.get('OperatorsName', ''), ds.PatientName)
        sys.stdout.buffer.write(''.join(f'{n}\n' for n in names).encode())
elif mode == 'group-lengths':
    path = files[0]
    ds = pydicom.dcmread(path)
    code = Dataset()
    code.CodeValue, code.CodingSchemeDesignator, code.CodeMeaning = 'CT-HEAD', '99LOCAL', 'CT Kopf'
    code.is_undefined_length_sequence_item = True
    ds.ProcedureCodeSequence = Sequence([code])
    ds['ProcedureCodeSequence'].is_undefined_length = True
    if len(files) > 1:
        ds.OperatorsName = files[1]
    # Written element by element: pydicom's own writer leaves group lengths out.
    with open(path, 'wb') as file:
        out = DicomFileLike(file)
        out.is_little_endian, out.is_implicit_VR = ds.is_little_endian, ds.is_implicit_VR
        out.write(b'\0' * 128 + b'DICM')
        write_file_meta_info(out, ds.file_meta)
        for group in sorted({e.tag.group for e in ds}):
            members = group_members(ds, group)
            for element in [DataElement((group, 0), 'UL', encoded_length(ds, members))] + members:
                write_data_element(out, element)
else:
    wrong = False
    for path in files:
        ds = pydicom.dcmread(path)
        for length in [e for e in ds if e.tag.element == 0]:
            encoded = encoded_length(ds, group_members(ds, length.tag.group))
            if length.value != encoded:
                print(f'{path} {length.tag.group:04x} {length.value} {encoded}')
                wrong = True
    sys.exit(1 if wrong else 0)
