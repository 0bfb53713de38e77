import numpy as np
import dask.array as da
from distributed import Client, LocalCluster

import tfmex
import tfmex.dask


def main():
    n = 1024
    t = np.arange(n) / n
    clean = np.sin(4 * np.pi * t) + (t > 0.3) - 0.5 * (t > 0.7)
    noisy = clean + 0.1 * np.random.default_rng(7).standard_normal((2000, n))
    x = da.from_array(noisy, chunks=(250, n))  # 8 chunks of 250 signals, one per row

    with LocalCluster(n_workers=2, threads_per_worker=1, host="127.0.0.1",
                      dashboard_address="127.0.0.1:8787",
                      worker_dashboard_address="127.0.0.1:0") as cluster, Client(cluster):
        denoised = tfmex.dask.apply("denoise", x, "sym8").compute()
        cA, *details = tfmex.dask.apply("wavedec", x, "db4", level=5)
        finest = np.median(abs(details[-1]), axis=1).compute() / 0.6745

    def rms(y):
        return np.sqrt(np.mean((y - clean) ** 2))

    print(f"rms error {rms(noisy):.3f} -> {rms(denoised):.3f}, "
          f"noise level {np.median(finest):.3f}")
    print("the bytes of one call:", np.array_equal(denoised, tfmex.denoise(noisy, "sym8")))


if __name__ == "__main__":
    main()
