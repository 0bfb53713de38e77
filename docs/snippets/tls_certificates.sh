# once, on a trusted machine: the authority, and a key and a certificate for each role
openssl req -x509 -newkey rsa:3072 -nodes -days 365 -subj /CN=tfmex-ca -keyout ca.key -out ca.pem
for who in scheduler worker client; do
  openssl req -newkey rsa:3072 -nodes -subj /CN=$who -keyout $who.key -out $who.csr
  openssl x509 -req -in $who.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 365 -out $who.pem
done
chmod 600 *.key
# on the scheduler's machine, 10.0.0.1 (ca.pem, scheduler.pem, scheduler.key):
dask-scheduler --protocol tls --host 10.0.0.1 --port 8786 --dashboard-address 127.0.0.1:8787 \
  --tls-ca-file ca.pem --tls-cert scheduler.pem --tls-key scheduler.key
# on each worker's machine, 10.0.0.2 say (ca.pem, worker.pem, worker.key), tfmex importable:
PYTHONPATH=/opt/tfmex/build/python dask-worker tls://10.0.0.1:8786 --host 10.0.0.2 \
  --nworkers 2 --nthreads 1 --dashboard-address 127.0.0.1:0 \
  --tls-ca-file ca.pem --tls-cert worker.pem --tls-key worker.key
