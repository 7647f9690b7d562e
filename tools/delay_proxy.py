#!/usr/bin/python3
"""A slow link on loopback for any TCP protocol: every byte that goes through
arrives `delay` milliseconds late in each direction, in order (a round trip
costs twice the delay). The browser tests put it between a browser and
dorvane-web; `delay_proxy.py PORT HOST:PORT MS` runs one from a shell.
(tools/link-proxy does the same for the PostgreSQL protocol, cutting at
requests.)"""

import asyncio
import sys
import threading
import time

# The proxies of this process: each its event loop and open connections' writers.
_PROXIES = []


async def _carry(reader, writer, delay):
    """Copies reader to writer, each chunk `delay` seconds after it came."""
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            await asyncio.sleep(max(0.0, due - time.monotonic()))
            if data is None:
                break
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.ensure_future(deliver())
    try:
        while True:
            data = await reader.read(65536)
            await queue.put((time.monotonic() + delay, data or None))
            if not data:
                break
    except ConnectionError:
        await queue.put((time.monotonic(), None))
    await sender


async def _serve(listen_port, host, port, delay, ready):
    writers = set()
    _PROXIES.append((asyncio.get_running_loop(), writers))

    async def connection(client_reader, client_writer):
        try:
            server_reader, server_writer = await asyncio.open_connection(host, port)
        except OSError:
            client_writer.close()
            return
        writers.update((client_writer, server_writer))
        await asyncio.gather(_carry(client_reader, server_writer, delay),
                             _carry(server_reader, client_writer, delay),
                             return_exceptions=True)

    server = await asyncio.start_server(connection, "127.0.0.1", listen_port)
    ready(server.sockets[0].getsockname()[1])
    async with server:
        await server.serve_forever()


def drop_all():
    """Cuts every open connection of every proxy (a link that went down)."""
    for loop, writers in _PROXIES:
        for writer in list(writers):
            loop.call_soon_threadsafe(writer.transport.abort)
        writers.clear()


def start(host, port, delay_ms, listen_port=0):
    """Starts a proxy on a thread of its own; returns the port it listens on."""
    found = []
    event = threading.Event()

    def ready(bound):
        found.append(bound)
        event.set()

    thread = threading.Thread(target=lambda: asyncio.run(
        _serve(listen_port, host, port, delay_ms / 1000.0, ready)), daemon=True)
    thread.start()
    event.wait(10)
    return found[0]


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: delay_proxy.py LISTEN_PORT HOST:PORT DELAY_MS")
    target_host, target_port = sys.argv[2].rsplit(":", 1)
    bound_port = start(target_host, int(target_port), float(sys.argv[3]), int(sys.argv[1]))
    print("delay_proxy: 127.0.0.1:%d -> %s, %s ms each way" % (bound_port, sys.argv[2], sys.argv[3]),
          flush=True)
    threading.Event().wait()
