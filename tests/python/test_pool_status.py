"""A first foreign caller in another language: Python ctypes against the built .so."""
import ctypes
import os
import struct
import unittest


class ByteBuffer(ctypes.Structure):
    _fields_ = [("capacity", ctypes.c_uint64), ("len", ctypes.c_uint64), ("data", ctypes.POINTER(ctypes.c_uint8))]


class BorrowedBytes(ctypes.Structure):
    _fields_ = [("len", ctypes.c_int32), ("data", ctypes.POINTER(ctypes.c_uint8))]


class CallStatus(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int8), ("error_buf", ByteBuffer)]


lib = ctypes.CDLL(os.environ["VELMORA_SDK_LIBRARY"])
lib.ffi_velmora_sdk_buffer_from_bytes.argtypes = [BorrowedBytes, ctypes.POINTER(CallStatus)]
lib.ffi_velmora_sdk_buffer_from_bytes.restype = ByteBuffer
lib.ffi_velmora_sdk_buffer_free.argtypes = [ByteBuffer, ctypes.POINTER(CallStatus)]
lib.ffi_velmora_sdk_buffer_free.restype = None
lib.bind_velmora_sdk_fn_func_pool_display_status.argtypes = [ByteBuffer, ctypes.POINTER(CallStatus)]
lib.bind_velmora_sdk_fn_func_pool_display_status.restype = ByteBuffer
for name in ("healthy", "removed", "terminating", "unknown"):
    fn = getattr(lib, f"bind_velmora_sdk_fn_func_{name}_pool_display_status")
    fn.argtypes = [ctypes.POINTER(CallStatus)]
    fn.restype = ByteBuffer


def to_buffer(data: bytes) -> ByteBuffer:
    status = CallStatus()
    array = (ctypes.c_uint8 * len(data)).from_buffer_copy(data)
    buf = lib.ffi_velmora_sdk_buffer_from_bytes(BorrowedBytes(len(data), array), ctypes.byref(status))
    assert status.code == 0
    return buf


def take(buf: ByteBuffer) -> bytes:
    data = ctypes.string_at(buf.data, buf.len)
    status = CallStatus()
    lib.ffi_velmora_sdk_buffer_free(buf, ctypes.byref(status))
    assert status.code == 0
    return data


def string(s: str) -> bytes:
    raw = s.encode()
    return struct.pack(">i", len(raw)) + raw


def pool(replicas: int, with_status: bool) -> bytes:
    out = string("kavri.velmora.dev/v1alpha1") + string("KavriSandboxWarmPool")
    out += string("builds") + string("builds") + b"\x00\x00"  # metadata without labels and timestamp
    out += struct.pack(">I", replicas) + string("ubuntu") + b"\x00\x00"  # spec
    out += (b"\x01" + b"\x00\x00\x00") if with_status else b"\x00"  # status with every field absent
    return out


def decode_status(data: bytes):
    kind, n = struct.unpack_from(">iI", data, 0)
    label = data[8 : 8 + n].decode()
    (m,) = struct.unpack_from(">I", data, 8 + n)
    indicator = data[12 + n : 12 + n + m].decode()
    assert len(data) == 12 + n + m
    return kind, label, indicator


class PoolDisplayStatusTest(unittest.TestCase):
    def call(self, pool_bytes: bytes):
        status = CallStatus()
        out = lib.bind_velmora_sdk_fn_func_pool_display_status(to_buffer(pool_bytes), ctypes.byref(status))
        if status.code != 0:
            return status.code, take(status.error_buf).decode()
        return 0, decode_status(take(out))

    def test_healthy_is_26_bytes(self):
        status = CallStatus()
        data = take(lib.bind_velmora_sdk_fn_func_healthy_pool_display_status(ctypes.byref(status)))
        self.assertEqual(data, bytes.fromhex("00000001 00000007") + b"Healthy" + bytes.fromhex("00000007") + b"#2ea043")

    def test_fixed_statuses(self):
        expected = {
            "removed": (3, "Removed", "#8b949e"),
            "terminating": (4, "Terminating", "#d29922"),
            "unknown": (5, "Unknown", "#d29922"),
        }
        for name, want in expected.items():
            status = CallStatus()
            fn = getattr(lib, f"bind_velmora_sdk_fn_func_{name}_pool_display_status")
            self.assertEqual(decode_status(take(fn(ctypes.byref(status)))), want)

    def test_derivation(self):
        self.assertEqual(self.call(pool(0, True)), (0, (2, "Scaled to zero", "#a371f7")))
        self.assertEqual(self.call(pool(3, False)), (0, (5, "Unknown", "#d29922")))
        self.assertEqual(self.call(pool(1, True)), (0, (1, "Healthy", "#2ea043")))

    def test_trailing_byte_names_the_argument(self):
        code, message = self.call(pool(1, True) + b"\x00")
        self.assertEqual(code, 2)
        self.assertEqual(message, "Failed to convert arg 'pool':\njunk data left in buffer after lifting (count: 1)")


if __name__ == "__main__":
    unittest.main()
