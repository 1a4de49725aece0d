#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Packs the g2pM polyphone model (Apache-2.0, see engines/data/polyphone_model.LICENSE) into
engines/data/polyphone_model.bin, the table the engine carries. Only needed when the model is
refreshed; the build uses the committed table.

    python3 scripts/make_polyphone_model.py MODEL_DIR

MODEL_DIR holds the model as plain files: weights.f32 with weights.json, chars.tsv, classes.tsv
and char_readings.tsv. Nothing is retrained: the weights are copied bit for bit, the matrices
the engine multiplies column by column stored transposed.

Layout (little-endian, every section starting on a multiple of 16 bytes):
  header       8 x uint32: "LPM1", characters, classes, polyphones, reading ids,
               class name bytes, offset of the floats, size of the file
  characters   per input character in code point order: uint32 code point, uint32 input id
  polyphones   in code point order: uint32 code point, uint16 first reading id, uint16 count
  reading ids  uint16 class ids, each polyphone's readings in the order of char_readings.tsv
  class names  NUL-terminated pinyin with tone digit, "v" for "u:"
  floats       embedding (ids x 64); forward LSTM: W_ih^T (64 x 128), W_hh^T (32 x 128),
               b_ih, b_hh (128 each); the same for the backward LSTM; first layer W^T
               (64 x 32), b (32); output layer W (classes x 32), b (classes)
"""
import json
import struct
import sys
from array import array
from pathlib import Path

EMBED, HIDDEN, FC = 64, 32, 32


def tsv(path):
    with open(path, encoding='utf-8') as f:
        return [line.rstrip('\n').split('\t') for line in f if line.strip()]


def tensor(model, meta, name):
    entry = next(t for t in meta['tensors'] if t['name'] == name)
    count = 1
    for d in entry['shape']:
        count *= d
    values = array('f')
    values.frombytes(model[entry['offset_bytes']:entry['offset_bytes'] + 4 * count])
    if sys.byteorder != 'little':
        values.byteswap()
    return values, entry['shape']


def transposed(values, shape):
    rows, cols = shape
    return array('f', (values[r * cols + c] for c in range(cols) for r in range(rows)))


def floats(model_dir):
    meta = json.loads((model_dir / 'weights.json').read_text(encoding='utf-8'))
    model = (model_dir / 'weights.f32').read_bytes()
    out = array('f')
    out.extend(tensor(model, meta, 'embedding.weight')[0])
    for suffix in ('', '_reverse'):
        out.extend(transposed(*tensor(model, meta, 'lstm.weight_ih_l0' + suffix)))
        out.extend(transposed(*tensor(model, meta, 'lstm.weight_hh_l0' + suffix)))
        out.extend(tensor(model, meta, 'lstm.bias_ih_l0' + suffix)[0])
        out.extend(tensor(model, meta, 'lstm.bias_hh_l0' + suffix)[0])
    out.extend(transposed(*tensor(model, meta, 'logit_layer.0.weight')))
    out.extend(tensor(model, meta, 'logit_layer.0.bias')[0])
    out.extend(tensor(model, meta, 'logit_layer.2.weight')[0])
    out.extend(tensor(model, meta, 'logit_layer.2.bias')[0])
    return out


def padded(data):
    return data + b'\0' * (-len(data) % 16)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_polyphone_model.py MODEL_DIR')
    model_dir = Path(sys.argv[1])
    chars = sorted((ord(c), int(i)) for i, c in tsv(model_dir / 'chars.tsv') if len(c) == 1)
    classes = [name.replace('u:', 'v') for _, name in sorted(tsv(model_dir / 'classes.tsv'), key=lambda r: int(r[0]))]
    class_id = {name: i for i, name in enumerate(classes)}
    polyphones, reading_ids = [], []
    for char, readings in sorted(tsv(model_dir / 'char_readings.tsv'), key=lambda r: ord(r[0][0])):
        names = readings.replace('u:', 'v').split()
        if len(char) != 1 or len(names) < 2:
            continue
        polyphones.append((ord(char), len(reading_ids), len(names)))
        reading_ids.extend(class_id[n] for n in names)

    weights = floats(model_dir)
    expected = 5398 * EMBED + 2 * (4 * HIDDEN * (EMBED + HIDDEN) + 8 * HIDDEN) + 2 * HIDDEN * FC + FC
    expected += len(classes) * (FC + 1)
    if len(chars) + 2 != 5398 or len(weights) != expected:
        sys.exit('unexpected model shapes')
    if sys.byteorder != 'little':
        weights.byteswap()

    names = b''.join(n.encode('ascii') + b'\0' for n in classes)
    sections = [
        b''.join(struct.pack('<II', cp, i) for cp, i in chars),
        b''.join(struct.pack('<IHH', cp, first, count) for cp, first, count in polyphones),
        struct.pack(f'<{len(reading_ids)}H', *reading_ids),
        names,
    ]
    body = b''.join(padded(s) for s in sections)
    float_offset = 32 + len(body)
    size = float_offset + 4 * len(weights)
    header = b'LPM1' + struct.pack('<7I', len(chars), len(classes), len(polyphones), len(reading_ids), len(names),
                                   float_offset, size)
    out = Path(__file__).resolve().parent.parent / 'engines' / 'data' / 'polyphone_model.bin'
    out.write_bytes(header + body + weights.tobytes())
    print(f'{len(polyphones)} polyphones, {size} bytes written to {out}')


if __name__ == '__main__':
    main()
