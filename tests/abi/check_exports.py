"""The shared object exports exactly the C ABI declared in the public headers."""
import re
import subprocess
import sys

library, *headers = sys.argv[1:]
nm = subprocess.run(["nm", "-D", "--defined-only", library], check=True, capture_output=True, text=True).stdout
exported = {line.split()[-1] for line in nm.splitlines() if line.strip()}

declared = set()
for header in headers:
    with open(header) as f:
        declared |= set(re.findall(r"\b((?:ffi|bind)_velmora_sdk_\w+)\s*\(", f.read()))

problems = []
for name in sorted(exported):
    if not re.match(r"^(ffi_velmora_sdk_|bind_velmora_sdk_|BIND_META_)", name):
        problems.append(f"exported but not part of the C ABI: {name}")
    elif not name.startswith("BIND_META_") and name not in declared:
        problems.append(f"exported but missing from the public header: {name}")
for name in sorted(declared - exported):
    problems.append(f"declared in the public header but not exported: {name}")

print(f"{len(exported)} exported symbols, {len(declared)} declared functions")
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
