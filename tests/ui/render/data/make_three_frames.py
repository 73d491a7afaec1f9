# Regenerates three_frames.png with Pillow (python3-pil), an encoder independent of ours. Run by
# hand only; the tests read the committed file.
import sys
from PIL import Image

W = H = 8
red = Image.new("RGBA", (W, H), (255, 0, 0, 255))
green = Image.new("RGBA", (W, H), (0, 0, 0, 0))
for y in range(4):
    for x in range(W):
        green.putpixel((x, y), (0, 255, 0, 128))
square = Image.new("RGBA", (W, H), (0, 0, 0, 0))
for y in range(2, 4):
    for x in range(2, 4):
        square.putpixel((x, y), (0, 0, 255, 255))
# Frame 2 blends over frame 1 and is disposed back to it; frame 3 blends over the restored canvas.
red.save(sys.argv[1] if len(sys.argv) > 1 else "three_frames.png", save_all=True, append_images=[green, square],
         duration=[100, 200, 300], loop=3, disposal=[0, 2, 0], blend=[0, 1, 1])
