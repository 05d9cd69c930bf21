"""Images in other character sets for the relay's tests, made and read with pydicom.

charset_image.py write FILE CHARSET NAME
    Sets Specific Character Set (values separated by backslashes; none when
    empty) and Patient's Name, which pydicom encodes in that character set.
charset_image.py read FILE...
    Prints Operators' Name and Patient's Name of each file as pydicom decodes
    them, one a line (UTF-8). A value pydicom cannot decode fails.
"""
import sys

import pydicom
from pydicom import config

config.settings.reading_validation_mode = config.RAISE
config.settings.writing_validation_mode = config.RAISE

mode, files = sys.argv[1], sys.argv[2:]
if mode == 'write':
    path, charset, name = files
    ds = pydicom.dcmread(path)
    if charset:
        ds.SpecificCharacterSet = charset.split('\\')
    ds.PatientName = name
    ds.save_as(path)
else:
    for path in files:
        ds = pydicom.dcmread(path)
        names = (ds.get('OperatorsName', ''), ds.PatientName)
        sys.stdout.buffer.write(''.join(f'{n}\n' for n in names).encode())
