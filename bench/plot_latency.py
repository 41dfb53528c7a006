#!/usr/bin/python3
"""Plot the latency samples written by latency_bench --samples_dir=DIR.

Usage: bench/plot_latency.py DIR OUT.png

Left: a label from the driver's return to the host's event callback. Right:
DisableScanner with the scan thread blocked in the driver, beside its floor
(a bare thread woken and joined). Both as histograms on a logarithmic time
axis with p50, p99 and the maximum marked.
"""
import math
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402


def load(folder, name):
    with open(os.path.join(folder, name + ".txt")) as f:
        return [int(line) / 1000.0 for line in f if line.strip()]  # microseconds


def text(microseconds):
    if microseconds >= 1000:
        return f"{microseconds / 1000:.2f} ms"
    return f"{microseconds:.2f} µs"


def quantile(values, q):
    ordered = sorted(values)
    return ordered[int(q * (len(ordered) - 1))]


def bins(values_list, count=80):
    low = min(min(v) for v in values_list)
    high = max(max(v) for v in values_list)
    low = max(low, 0.01)
    step = (math.log10(high * 1.05) - math.log10(low)) / count
    return [10 ** (math.log10(low) + i * step) for i in range(count + 1)]


def panel(axis, series, title):
    edges = bins([values for _, values, _ in series])
    for label, values, colour in series:
        axis.hist(values, bins=edges, histtype="stepfilled", alpha=0.45, color=colour,
                  label=f"{label} ({len(values):,} samples)")
        for q, style in ((0.50, "-"), (0.99, "--")):
            value = quantile(values, q)
            axis.axvline(value, color=colour, linestyle=style, linewidth=1.2)
        axis.axvline(max(values), color=colour, linestyle=":", linewidth=1.2)
        summary = (f"p50 {text(quantile(values, 0.5))}, p99 {text(quantile(values, 0.99))}, "
                   f"max {text(max(values))}")
        axis.plot([], [], " ", label=summary)
    axis.set_xscale("log")
    axis.set_yscale("log")
    axis.set_xlabel("microseconds (log)")
    axis.set_ylabel("samples (log)")
    axis.set_title(title)
    axis.grid(True, which="major", alpha=0.3)
    axis.legend(fontsize=8, loc="upper right")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    folder, out = sys.argv[1], sys.argv[2]
    figure, (left, right) = plt.subplots(1, 2, figsize=(13, 4.8))
    panel(left, [("driver return → event callback", load(folder, "driver_to_event"), "tab:blue")],
          "Label: driver return to host event callback")
    panel(right, [("DisableScanner", load(folder, "disable_scanner"), "tab:red"),
                  ("floor: bare thread woken and joined", load(folder, "wake_and_join"),
                   "tab:gray")],
          "DisableScanner, scan thread blocked in the driver")
    figure.text(0.5, 0.005, "solid line p50, dashed p99, dotted max", ha="center", fontsize=8)
    figure.tight_layout(rect=(0, 0.03, 1, 1))
    figure.savefig(out, dpi=110)


if __name__ == "__main__":
    main()
