# Computes the known answers pinned in page_cipher_test.cpp from the rules of the
# page cipher, independently of the program's code: python3 tests/cipher/known_answers.py
DELTA=0x9E3779B9
def mx(p,y,z,s,e,k):
    A=(((z>>5)^((y<<2)&0xFF)) + ((y>>3)^((z<<4)&0xFF))) & 0xFF
    B=(((s&0xFF)^y) + (k[(p&3)^e]^z)) & 0xFF
    return A^B
def enc(v,k,L):
    v=list(v); n=len(v); rounds=6+52//n; z=v[n-1]; s=0
    for _ in range(rounds):
        s=(s+DELTA)&0xFFFFFFFF; e=(s>>2)&L
        for p in range(n-1):
            y=v[p+1]; v[p]=(v[p]+mx(p,y,z,s,e,k))&0xFF; z=v[p]
        p=n-1; y=v[0]; v[p]=(v[p]+mx(p,y,z,s,e,k))&0xFF; z=v[p]
    return v
def dec(v,k,L):
    v=list(v); n=len(v); rounds=6+52//n; s=(rounds*DELTA)&0xFFFFFFFF; y=v[0]
    while s:
        e=(s>>2)&L
        for p in range(n-1,0,-1):
            z=v[p-1]; v[p]=(v[p]-mx(p,y,z,s,e,k))&0xFF; y=v[p]
        z=v[n-1]; v[0]=(v[0]-mx(0,y,z,s,e,k))&0xFF; y=v[0]
        s=(s-DELTA)&0xFFFFFFFF
    return v
def keyarea(pw):
    b=pw.encode('utf-16-le'); L=len(b)
    size=max(255,(L|3)+1)
    return list(b)+[0]*(size-L), L
print([hex(((r*DELTA)&0xFFFFFFFF)>>2 & 0xFF) for r in range(1,7)])
def fnv(v):
    h=0x811C9DC5
    for b in v: h=((h^b)*0x01000193)&0xFFFFFFFF
    return h
cases=[("a",[0,1]),("a",[0x41,0x42,0x43]),("key",list(range(16))),("Vorlen",[(i*7)&0xFF for i in range(26)])]
for pw,blk in cases:
    k,L=keyarea(pw); c=enc(blk,k,L); assert dec(c,k,L)==blk
    print(pw, len(blk), ''.join('%02x'%x for x in c))
# page
page=[(i*31+7)&0xFF for i in range(4096)]
for pw in ["pässwörd","Secret12","x"*126, "y"*200]:
    k,L=keyarea(pw); c=enc(page,k,L); assert dec(c,k,L)==page
    print(repr(pw[:10]),L, ''.join('%02x'%x for x in c[:16]), hex(fnv(c)))
