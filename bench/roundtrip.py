"""Row 14's baseline: the same loop as roundtrip.lua with pyserial (python3-serial)."""
import sys
import time

import serial

dev, n = sys.argv[1], int(sys.argv[2])
port = serial.Serial(dev, 115200, timeout=5)
t0 = time.monotonic()
for i in range(1, n + 1):
    port.write(b"AT+ECHO=%d\r\n" % i)
    if not port.read_until(b"OK\r\n").endswith(b"OK\r\n"):
        sys.exit("no answer to %d" % i)
print("%.1f" % (n / (time.monotonic() - t0)))
