"""The 65-point grade the whole-process benchmarks apply: a curve, a channel
mix and a tint, so that no lookup is an identity."""


def write_cube(path, n):
    with open(path, "w") as f:
        f.write("LUT_3D_SIZE %d\n" % n)
        s = n - 1
        for b in range(n):
            for g in range(n):
                for r in range(n):
                    f.write("%.6f %.6f %.6f\n" % ((r / s) ** 0.8, 0.9 * g / s + 0.05 * b / s,
                                                  (r + 3 * b) / (4 * s)))
