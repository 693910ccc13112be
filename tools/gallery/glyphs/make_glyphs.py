# Writes the gallery's glyph strips (24-bit BMP, magenta key): python3 make_glyphs.py in this folder.
import struct
MAG=(255,0,255)
def bmp(path, w, h, px):  # px[y][x] = (r,g,b), y=0 top
    row=(w*3+3)//4*4
    data=b''
    for y in range(h-1,-1,-1):
        r=b''.join(bytes((b,g,r_)) for (r_,g,b) in px[y])
        data+=r+b'\0'*(row-w*3)
    hdr=struct.pack('<2sIHHI',b'BM',54+len(data),0,0,54)+struct.pack('<IiiHHIIiiII',40,w,h,1,24,0,len(data),2835,2835,0,0)
    open(path,'wb').write(hdr+data)
def blank(w,h): return [[MAG]*w for _ in range(h)]
def phone(c_body,c_line):
    p=blank(16,16)
    # handset: two ear/mouth pieces joined by a bar
    for y in range(3,13):
        for x in range(2,14):
            inside = (3<=y<=5 and 2<=x<=13) or (6<=y<=9 and (2<=x<=4 or 11<=x<=13)) or (10<=y<=12 and 4<=x<=11)
            if inside: p[y][x]=c_body
    for x in range(2,14): p[3][x]=c_line
    for y in range(10,13): p[y][4]=c_line; p[y][11]=c_line
    for x in range(4,12): p[12][x]=c_line
    return p
def arrow(c, up):
    p=blank(16,16)
    for i in range(7):
        y = 4+i if up else 11-i
        for x in range(7-i, 9+i): p[y][x]=c
    for y in (range(11,14) if up else range(2,5)):
        for x in range(6,10): p[y][x]=c
    return p
def strip(*imgs):
    h=len(imgs[0]); return [sum((im[y] for im in imgs), []) for y in range(h)]
GREEN=(0,160,0); DKGREEN=(0,80,0); NAVY=(0,0,128); GRAY=(128,128,128); LGRAY=(192,192,192)
bmp('./phone.bmp',32,16,strip(phone(GREEN,DKGREEN),phone(LGRAY,GRAY)))
bmp('./up.bmp',32,16,strip(arrow(NAVY,True),arrow(GRAY,True)))
bmp('./down.bmp',32,16,strip(arrow(NAVY,False),arrow(GRAY,False)))
bmp('./images.bmp',48,16,strip(phone(GREEN,DKGREEN),arrow(NAVY,True),arrow(NAVY,False)))
