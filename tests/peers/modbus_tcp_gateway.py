#!/usr/bin/python3
"""A Modbus TCP gateway made with pymodbus, with one device behind it that holds a memory image.

The device is the one tarnixw-devsim simulates, seen through an independent Modbus stack: its
memory is the 4096-byte image `tarnixw-devsim --dump FILE` writes (and `--memory FILE` loads),
addressed by byte while the quantity counts registers, so a read of Q holding registers at A
answers the bytes A .. A+2Q-1, and a write of Q registers at A stores its 2Q bytes from byte A.
The ID probe, input register 4096 read with function 4, answers the model's probe value.

The device answers at its slave id (the unit id); every other unit id is a device behind the
gateway that does not answer, which a gateway tells with exception 11 (Gateway Target Device
Failed to Respond).

It listens on 127.0.0.1, prints the port it listens on as one line, and serves until SIGTERM or
SIGINT, then writes the image back (to FILE, or to --dump FILE) and exits 0.

    /usr/bin/python3 modbus_tcp_gateway.py IMAGE --id 1 --probe 1 [--port 0] [--dump OUT]
"""
import argparse
import asyncio
import logging
import os
import signal
import sys

from pymodbus.datastore import ModbusServerContext, ModbusSlaveContext
from pymodbus.datastore.store import BaseModbusDataBlock
from pymodbus.server.async_io import ModbusTcpServer

MEMORY_SIZE = 4096
PROBE_REGISTER = 4096


class ByteMemory(BaseModbusDataBlock):
    """Holding registers over a byte-addressed memory: register address A is byte offset A."""

    def __init__(self, image):
        self.image = image
        self.address = 0
        self.default_value = 0
        self.values = image

    def validate(self, address, count=1):
        return 0 <= address and address + 2 * count <= len(self.image)

    def getValues(self, address, count=1):  # pylint: disable=invalid-name
        return [(self.image[address + 2 * i] << 8) | self.image[address + 2 * i + 1] for i in range(count)]

    def setValues(self, address, values):  # pylint: disable=invalid-name
        if not isinstance(values, list):
            values = [values]
        for i, value in enumerate(values):
            self.image[address + 2 * i] = (value >> 8) & 0xFF
            self.image[address + 2 * i + 1] = value & 0xFF


class ProbeRegister(BaseModbusDataBlock):
    """The input registers: only the ID probe, one register at 4096."""

    def __init__(self, value):
        self.value = value
        self.address = PROBE_REGISTER
        self.default_value = value
        self.values = [value]

    def validate(self, address, count=1):
        return address == PROBE_REGISTER and count == 1

    def getValues(self, address, count=1):  # pylint: disable=invalid-name
        return [self.value]

    def setValues(self, address, values):  # pylint: disable=invalid-name
        pass


class NoBits(BaseModbusDataBlock):
    """Coils and discrete inputs: the devices have none, so every address is refused."""

    def __init__(self):
        self.address = 0
        self.default_value = False
        self.values = []

    def validate(self, address, count=1):
        return False

    def getValues(self, address, count=1):  # pylint: disable=invalid-name
        return []

    def setValues(self, address, values):  # pylint: disable=invalid-name
        pass


class Gateway(ModbusServerContext):
    """One device at its unit id behind a gateway that takes every unit id.

    pymodbus drops a frame for a unit id its context does not list before any answer is made,
    the way a device on a serial line ignores another's address. A gateway answers for the
    silent device instead: so every unit id is listed, and asking for one that holds no device
    raises NoSuchSlaveException, which the server answers with exception 11.
    """

    def __init__(self, unit, device):
        super().__init__(slaves={unit: device}, single=False)

    def slaves(self):
        return list(range(256))


def read_image(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    if len(image) != MEMORY_SIZE:
        raise ValueError(f"{path}: {len(image)} bytes, not the device's {MEMORY_SIZE}")
    return image


def write_image(path, image):
    # Whole or not at all: a reader never sees half an image.
    part = path + ".part"
    with open(part, "wb") as f:
        f.write(image)
    os.replace(part, path)


async def serve(args, image):
    device = ModbusSlaveContext(
        di=NoBits(), co=NoBits(), hr=ByteMemory(image), ir=ProbeRegister(args.probe), zero_mode=True
    )
    server = ModbusTcpServer(Gateway(args.id, device), address=("127.0.0.1", args.port), allow_reuse_address=True)
    serving = asyncio.create_task(server.serve_forever())
    await asyncio.wait([server.serving, serving], return_when=asyncio.FIRST_COMPLETED)
    if serving.done():  # it could not listen
        print(f"modbus_tcp_gateway: cannot listen on 127.0.0.1:{args.port}: {serving.exception()}", file=sys.stderr)
        return 1
    # Whoever started the server learns the port the system chose from this line.
    print(server.server.sockets[0].getsockname()[1], flush=True)

    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    if args.lifetime > 0:
        # A server whose starter died without stopping it ends by itself.
        loop.call_later(args.lifetime, stop.set)
    await stop.wait()
    await server.server_close()
    serving.cancel()
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n", maxsplit=1)[0])
    parser.add_argument("image", help="the device's memory image, 4096 bytes")
    parser.add_argument("--id", type=int, default=1, help="the device's slave id, 1..255 (default 1)")
    parser.add_argument(
        "--probe", type=lambda s: int(s, 0), required=True, help="what the ID probe answers (the model's value)"
    )
    parser.add_argument("--port", type=int, default=0, help="the TCP port on 127.0.0.1 (default 0: the system picks)")
    parser.add_argument("--dump", help="write the image here on exit instead of back to IMAGE")
    parser.add_argument("--lifetime", type=float, default=0, help="stop after this many seconds (default: never)")
    parser.add_argument("--verbose", action="store_true", help="pymodbus' own log on standard error")
    args = parser.parse_args()
    if not 1 <= args.id <= 255:
        parser.error("--id: give 1..255")

    # pymodbus configures the root logger when imported, and logs every client that leaves and
    # every unknown unit id as an error.
    logging.getLogger().setLevel(logging.DEBUG if args.verbose else logging.CRITICAL)
    try:
        image = read_image(args.image)
    except (OSError, ValueError) as e:
        print(f"modbus_tcp_gateway: {e}", file=sys.stderr)
        return 2
    rc = asyncio.run(serve(args, image))
    if rc == 0:
        write_image(args.dump or args.image, image)
    return rc


if __name__ == "__main__":
    sys.exit(main())
