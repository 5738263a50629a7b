#!/usr/bin/env python3
"""The processing of kavro-cli process written the way a scientist would with numpy:
the correction, the inversion (50 multiplicative updates), the statistics, the
volume scattering function and the .psd records, vectorised over blocks of frames.

    numpy_process.py RAWFILE CALDIR OUT.psd [--ring-area F] [--background F]
                     [--iterations N]
    numpy_process.py --check A.psd B.psd

Model 0 (calibration set "a"), default auxiliary calibration, VolConv 58000,
LRefRatio 2.0, single-scan data.  Prints frames/s.  --check tells how far the
frame records of two .psd files of the same recording are apart.
"""
import argparse
import os
import struct
import sys
import time

import numpy as np

BLOCK = 65536
HK_MULTIPLIER = np.array([0.0012, 0.005017, 0.001220703125, 0.003, 0.0536, 0.01, 1.0, 1.0])
HK_OFFSET = np.zeros(8)
VOL_CONV = 58000.0


def numbers(path, count):
    with open(path) as f:
        values = np.array(f.read().split()[:count], dtype=np.float64)
    out = np.zeros(count)
    out[: len(values)] = values
    return out


def header(ratio, background, diameters):
    r0 = bytearray(512)
    r0[0:8] = b"KAVRO400"
    r0[8:24] = struct.pack("<iid", 2, 0, ratio)
    path = background.encode()[:487]
    r0[24 : 24 + len(path)] = path
    r1 = bytearray(512)
    r1[0:128] = diameters.astype("<f4").tobytes()
    return bytes(r0 + r1)


def process_block(words, cal, iterations):
    m, h, d, gain, area, bg, rho = cal
    raw = words.astype(np.float64)
    n = raw.shape[0]
    rings = raw[:, :32]
    power, reference = raw[:, 32], raw[:, 35]
    aux = raw[:, 32:40] * HK_MULTIPLIER + HK_OFFSET

    with np.errstate(divide="ignore", invalid="ignore", over="ignore"):
        usable = (power > 100.0) & (reference > 0.0)
        tau = np.where(usable, power / (rho * np.where(usable, reference, 1.0)), 0.0)
        usable &= np.isfinite(tau) & (tau > 0.0)
        tau = np.where(usable, np.maximum(tau, 0.001), 0.0)
        scale = bg[35] / reference if bg[35] > 0.0 else np.ones(n)
        corrected = (scale[:, None] * rings / tau[:, None] - bg[:32]) * area
        corrected = np.where(usable[:, None], corrected, 0.0)
        laser_ok = usable
        beam_c = np.where(tau > 0.0, 20.0 * np.log(1.0 / tau), 0.0)

        p = 1.32 ** np.arange(1, 33)
        w = 105.0 / (p[None, :] * tau[:, None]) * (gain * corrected)
        w = np.where((w >= 1e-30) & np.isfinite(w), w, 1e-30)
        vsf = np.where(laser_ok[:, None], np.log10(w), 0.0)

        x = np.ones((n, 32))
        mt = np.ascontiguousarray(m.T)
        for _ in range(iterations):
            e = x @ mt
            x *= (corrected / e) @ h
        v = d * x / VOL_CONV
        v = np.where((v >= 0.001) & np.isfinite(v), v, 0.0)

        s0 = v.sum(axis=1)
        s1 = (d * v).sum(axis=1)
        none = (s0 == 0.0) | (s1 == 0.0)
        mean = s1 / s0
        std = np.sqrt(((d[None, :] - mean[:, None]) ** 2 * v / s0[:, None]).sum(axis=1))
        mean = np.where(none, -1.0, mean)
        std = np.where(none, -1.0, std)

    zero = (rings == 0.0).sum(axis=1)
    saturated = ((rings != 0.0) & (rings > 4093)).sum(axis=1)
    rec = np.zeros((n, 128), dtype="<f4")
    rec[:, 0:32] = v
    rec[:, 64:72] = aux
    rec[:, 72:104] = vsf
    rec[:, 104] = mean
    rec[:, 105] = std
    rec[:, 106] = tau
    rec[:, 107] = beam_c
    rec[:, 108] = zero
    rec[:, 109] = saturated
    return rec.tobytes()


def load_calibration(cal_dir, ring_area, background):
    m = numbers(os.path.join(cal_dir, "M32x32_a.asc"), 1024).reshape(32, 32)
    h = numbers(os.path.join(cal_dir, "H32_a.asc"), 1024).reshape(32, 32)
    d = numbers(os.path.join(cal_dir, "Dias32_a.asc"), 32)
    gain = numbers(os.path.join(cal_dir, "Gain_a.asc"), 32)
    area = numbers(ring_area, 32)
    bg = numbers(background, 40)
    rho = bg[32] / bg[35] if bg[35] > 100.0 and bg[32] > 100.0 else 2.0
    return m, h, d, gain, area, bg, rho


def compare(a_path, b_path):
    a = np.memmap(a_path, dtype="<f4", mode="r")
    b = np.memmap(b_path, dtype="<f4", mode="r")
    if a.size != b.size:
        return "sizes differ: %d and %d bytes" % (a.size * 4, b.size * 4)
    same, largest, step = 0, 0.0, 128 * BLOCK
    for at in range(256, a.size, step):  # the frame records, a block at a time
        x, y = np.asarray(a[at : at + step]), np.asarray(b[at : at + step])
        same += np.count_nonzero((x == y) | (np.isnan(x) & np.isnan(y)))
        scale = np.maximum(np.abs(x), np.abs(y))
        with np.errstate(invalid="ignore"):
            rel = np.where(scale > 0, np.abs(x - y) / np.where(scale > 0, scale, 1), 0)
        largest = max(largest, float(np.nanmax(rel)) if rel.size else 0.0)
    values = max(a.size - 256, 1)
    return "%.4f%% of the values identical, largest relative difference %.3g" % (100.0 * same / values, largest)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--check":
        print("records of %s against %s: %s" % (sys.argv[2], sys.argv[3], compare(sys.argv[2], sys.argv[3])))
        return 0
    ap = argparse.ArgumentParser()
    ap.add_argument("rawfile")
    ap.add_argument("caldir")
    ap.add_argument("output")
    ap.add_argument("--ring-area")
    ap.add_argument("--background")
    ap.add_argument("--iterations", type=int, default=50)
    args = ap.parse_args()
    ring_area = args.ring_area or os.path.join(args.caldir, "RingArea_a.asc")
    background = args.background or os.path.join(args.caldir, "zsc.asc")

    start = time.perf_counter()
    cal = load_calibration(args.caldir, ring_area, background)
    frames = 0
    with open(args.rawfile, "rb") as src, open(args.output, "wb") as out:
        out.write(header(cal[6], background, cal[2]))
        while True:
            chunk = src.read(80 * BLOCK)
            whole = len(chunk) // 80
            if whole == 0:
                break
            words = np.frombuffer(chunk[: whole * 80], dtype=">u2").reshape(whole, 40)
            out.write(process_block(words, cal, args.iterations))
            out.flush()
            frames += whole
            if whole < BLOCK:
                break
    seconds = time.perf_counter() - start
    print("numpy: %d frames in %.2f s, %.0f frames/s" % (frames, seconds, frames / seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
