import dask.array as da
from distributed import Client, Security
import tfmex.dask

security = Security(tls_ca_file="ca.pem", tls_client_cert="client.pem",
                    tls_client_key="client.key", require_encryption=True)
with Client("tls://10.0.0.1:8786", security=security, timeout="30s"):
    x = da.random.standard_normal((2000, 1024), chunks=(250, 1024))  # made on the workers
    table = tfmex.dask.apply("packet_table", x, "sym8", 5)
    energy = (table ** 2).sum(axis=-1).mean(axis=0).compute()  # each row keeps the energy
