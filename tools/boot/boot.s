; The built-in cartridge's own program: shows the map of the first battlefield, read from the
; cartridge's own bytes, and scrolls it with the d-pad. MMC1 (SLROM): 16 program banks of 16 KiB,
; the last fixed at $C000 with this program in it; 16 character banks of 8 KiB.
;
; The two name tables side by side hold all 32 columns of cells the map may have, so scrolling
; sideways only moves the picture. Their 15 rows of cells are a ring: scrolling down or up
; draws the one row that comes into view over the one that leaves, in two frames.
;
; The generator fills the tables at the start of this block (see boot.cfg) before it places
; the block at $C000 of the last bank.

.segment "TABLES"
cell_pattern:   .res 256        ; per tile code: its first of four patterns (TL, TR, BL, BR)
cell_palette:   .res 256        ; per tile code: its background palette, 0 to 3
ppu_palette:    .res 32         ; the colours of the background and sprite palettes
map_bank:       .res 1          ; the 16 KiB bank of the map's first byte (its height - 1)
map_address:    .res 2          ; where that byte shows at $8000-$BFFF

PPUCTRL   = $2000
PPUMASK   = $2001
PPUSTATUS = $2002
PPUSCROLL = $2005
PPUADDR   = $2006
PPUDATA   = $2007
JOYPAD1   = $4016

MMC1_CONTROL = $8000
MMC1_CHR0    = $A000
MMC1_PRG     = $E000

MAP = $0400                     ; the decoded map, 32 cells a row, at most 32 rows
SCREEN_W = 16                   ; cells on screen
SCREEN_H = 15

.segment "ZEROPAGE"
src:        .res 2              ; read position in the $8000 window
bank:       .res 1
dst:        .res 2
width1:     .res 1              ; map width - 1, height - 1 (as stored)
height1:    .res 1
view_w:     .res 1              ; the part kept in RAM: at most 32 x 32 cells
view_h:     .res 1
cx:         .res 1              ; decoding cursor
cy:         .res 1
done:       .res 1
run:        .res 1
left:       .res 1              ; first cell shown
top:        .res 1
max_left:   .res 1
max_top:    .res 1
ring_top:   .res 1              ; the ring row that shows the top row: top mod 15
slot:       .res 1              ; the ring row being drawn, and the map row drawn into it
map_row:    .res 1
pending:    .res 1              ; 1: its upper tiles still to write, 2: its lower ones
rising:     .res 1              ; scrolling up: the view moves once the new row is written
col:        .res 1
tmp:        .res 1
mask:       .res 1
pad:        .res 1
last_pad:   .res 1
delay:      .res 1
frames:     .res 1

.segment "BSS"
upper:      .res 64             ; the patterns of one row of cells: name table 0, then 1
lower:      .res 64
attributes: .res 128            ; copies of both attribute tables

.macro mmc1_write reg
    sta reg
    lsr a
    sta reg
    lsr a
    sta reg
    lsr a
    sta reg
    lsr a
    sta reg
.endmacro

.segment "CODE"

reset:
    sei
    cld
    ldx #$40
    stx $4017                   ; no APU frame interrupt
    ldx #$FF
    txs
    inx
    stx PPUCTRL
    stx PPUMASK
    stx $4010
    bit PPUSTATUS
@vblank1:
    bit PPUSTATUS
    bpl @vblank1
    txa
@clear:
    sta $0000,x
    sta $0100,x
    sta $0200,x
    sta $0300,x
    sta $0400,x
    sta $0500,x
    sta $0600,x
    sta $0700,x
    inx
    bne @clear
@vblank2:
    bit PPUSTATUS
    bpl @vblank2

    ; Mapper: vertical mirroring, 16 KiB banks at $8000 with the last fixed at $C000, one 8 KiB
    ; character bank.
    lda #$80
    sta MMC1_CONTROL
    lda #%01110
    mmc1_write MMC1_CONTROL
    lda #0
    mmc1_write MMC1_CHR0

    lda #$80                    ; NMI each frame
    sta PPUCTRL
    jsr decode_map
    jsr load_palette
    jsr draw_screen
    jsr wait_frame
    jsr set_scroll
    lda #%00001010              ; background, also in the leftmost column
    sta PPUMASK

main:
    jsr wait_frame
    lda pending                 ; a row coming into view, written in the time between frames
    beq @scroll
    cmp #1
    bne @second
    jsr write_upper
    inc pending
    jmp @scroll
@second:
    jsr write_lower
    lda #0
    sta pending
    lda rising
    beq @scroll
    lda #0
    sta rising
    dec top
    lda ring_top
    clc
    adc #SCREEN_H - 1
    jsr mod15
    sta ring_top
@scroll:
    jsr set_scroll
    lda pending
    bne main
    jsr read_pad
    lda pad
    and #$0F
    beq @idle
    lda last_pad
    eor #$FF
    and pad
    and #$0F
    bne @move                   ; newly pressed: move at once
    dec delay
    bne @done
    lda #6                      ; held: repeat every few frames
    sta delay
    jmp @step
@move:
    lda #16
    sta delay
@step:
    jsr move_view
    jmp @done
@idle:
    lda #1
    sta delay
@done:
    lda pad
    sta last_pad
    jmp main

; Name table and scroll for the view; NMI each frame.
set_scroll:
    lda left
    lsr a
    lsr a
    lsr a
    lsr a
    and #1
    ora #$80
    sta PPUCTRL
    lda left
    asl a
    asl a
    asl a
    asl a
    sta PPUSCROLL
    lda ring_top
    asl a
    asl a
    asl a
    asl a
    sta PPUSCROLL
    rts

; A mod 15, for A below 30.
mod15:
    cmp #SCREEN_H
    bcc :+
    sbc #SCREEN_H
:   rts

wait_frame:
    lda frames
@wait:
    cmp frames
    beq @wait
    rts

nmi:
    inc frames
irq:
    rti

read_pad:
    lda #1
    sta JOYPAD1
    lda #0
    sta JOYPAD1
    ldx #8
@bit:
    lda JOYPAD1
    lsr a
    rol pad                     ; A B Select Start Up Down Left Right, high bit first
    dex
    bne @bit
    rts

; Moves the view one cell as the d-pad says: sideways at once, down or up with a new row.
move_view:
    lda pad
    and #$02                    ; left
    beq @right
    lda left
    beq @right
    dec left
@right:
    lda pad
    and #$01
    beq @down
    lda left
    cmp max_left
    bcs @down
    inc left
@down:
    lda pad
    and #$04
    beq @up
    lda top
    cmp max_top
    bcs @up
    lda ring_top                ; the top row's ring row takes the row below the view
    sta slot
    lda top
    clc
    adc #SCREEN_H
    sta map_row
    inc top
    lda ring_top
    clc
    adc #1
    jsr mod15
    sta ring_top
    jmp @draw
@up:
    lda pad
    and #$08
    beq @end
    lda top
    beq @end
    lda ring_top                ; the bottom row's ring row takes the row above the view
    clc
    adc #SCREEN_H - 1
    jsr mod15
    sta slot
    ldx top
    dex
    stx map_row
    inc rising
@draw:
    jsr prepare_row
    lda #1
    sta pending
@end:
    rts

; ---- The map: height - 1, width - 1, two bytes skipped, then the run-length tile stream. ----

; Next byte of the map, running on into the next bank at the end of the window.
next_byte:
    ldy #0
    lda (src),y
    inc src
    bne @same
    inc src+1
    ldy src+1
    cpy #$C0
    bne @same
    ldy #$80
    sty src+1
    pha
    inc bank
    lda bank
    mmc1_write MMC1_PRG
    pla
@same:
    rts

decode_map:
    lda map_bank
    sta bank
    mmc1_write MMC1_PRG
    lda map_address
    sta src
    lda map_address+1
    sta src+1
    jsr next_byte
    sta height1
    jsr next_byte
    sta width1
    jsr next_byte
    jsr next_byte
    ; The part kept and shown: at most 32 x 32 cells.
    lda width1
    cmp #32
    bcc :+
    lda #31
:   sta view_w
    inc view_w
    lda height1
    cmp #32
    bcc :+
    lda #31
:   sta view_h
    inc view_h
    lda view_w
    sec
    sbc #SCREEN_W
    bcs :+
    lda #0
:   sta max_left
    lda view_h
    sec
    sbc #SCREEN_H
    bcs :+
    lda #0
:   sta max_top
@code:
    lda done
    bne @end
    jsr next_byte
    cmp #$2E
    bcc @run
    jsr put_cell                ; a tile code is one cell
    jmp @code
@run:
    sta run                     ; a run: the next byte, run times (none for 0)
    jsr next_byte
    ldx run
    beq @code
@repeat:
    jsr put_cell
    ldx done
    bne @end
    dec run
    bne @repeat
    jmp @code
@end:
    rts

; Stores tile A at the cursor when it lies in the kept part, then advances. Keeps A.
put_cell:
    ldx cx
    cpx #32
    bcs @advance
    ldx cy
    cpx #32
    bcs @advance
    pha
    lda cy
    lsr a
    lsr a
    lsr a
    clc
    adc #>MAP
    sta dst+1
    lda cy
    asl a
    asl a
    asl a
    asl a
    asl a
    sta dst
    ldy cx
    pla
    sta (dst),y
@advance:
    ldx cx
    cpx width1
    beq @wrap
    inc cx
    rts
@wrap:
    ldx #0
    stx cx
    ldx cy
    cpx height1
    beq @last
    inc cy
    rts
@last:
    inc done
    rts

; ---- The screen ----

load_palette:
    bit PPUSTATUS
    lda #$3F
    sta PPUADDR
    lda #$00
    sta PPUADDR
    ldx #0
@copy:
    lda ppu_palette,x
    sta PPUDATA
    inx
    cpx #32
    bne @copy
    rts

; Both name tables from the view; rendering must be off.
draw_screen:
    lda #0
    sta slot
@row:
    lda slot
    clc
    adc top
    sta map_row
    jsr prepare_row
    jsr write_upper
    jsr write_lower
    inc slot
    lda slot
    cmp #SCREEN_H
    bne @row
    rts

; The patterns of map row map_row into upper and lower, its palettes into the attribute copies
; at ring row slot.
prepare_row:
    lda map_row
    lsr a
    lsr a
    lsr a
    clc
    adc #>MAP
    sta dst+1
    lda map_row
    asl a
    asl a
    asl a
    asl a
    asl a
    sta dst
    lda #0
    sta col
@cell:
    ldx #0                      ; off the map: blank patterns, palette 0
    stx tmp
    lda map_row
    cmp view_h
    bcs @patterns
    lda col
    cmp view_w
    bcs @patterns
    tay
    lda (dst),y
    tay
    lda cell_palette,y
    and #3
    sta tmp
    ldx cell_pattern,y
@patterns:
    lda col
    asl a
    tay
    txa
    sta upper,y
    clc
    adc #1
    sta upper+1,y
    adc #1
    sta lower,y
    adc #1
    sta lower+1,y
    ; The attribute byte of the cell: 8 a row of 2 x 2 cells, 64 a name table.
    lda slot
    and #$FE
    asl a
    asl a
    sta mask
    lda col
    and #$0F
    lsr a
    ora mask
    sta mask
    lda col
    and #$10
    asl a
    asl a
    ora mask
    tax
    ; Its two bits: 0, 2, 4 or 6 up.
    lda slot
    and #1
    asl a
    asl a
    sta mask
    lda col
    and #1
    asl a
    ora mask
    tay
    lda #3
    sta mask
@shift:
    dey
    bmi @set
    asl tmp
    asl mask
    jmp @shift
@set:
    lda mask
    eor #$FF
    and attributes,x
    ora tmp
    sta attributes,x
    inc col
    lda col
    cmp #32
    beq :+
    jmp @cell
:   rts

; The PPU address of ring row slot's upper (A = $00) or lower (A = $20) tiles in the name table
; whose high byte is in X.
row_address:
    sta tmp
    stx mask
    bit PPUSTATUS
    lda slot
    lsr a
    lsr a
    clc
    adc mask
    sta PPUADDR
    lda slot
    asl a
    asl a
    asl a
    asl a
    asl a
    asl a
    ora tmp
    sta PPUADDR
    rts

write_upper:
    lda #$00
    ldx #$20
    jsr row_address
    ldx #0
@left:
    lda upper,x
    sta PPUDATA
    inx
    cpx #32
    bne @left
    lda #$00
    ldx #$24
    jsr row_address
    ldx #32
@right:
    lda upper,x
    sta PPUDATA
    inx
    cpx #64
    bne @right
    rts

; The lower tiles and the attributes of ring row slot.
write_lower:
    lda #$20
    ldx #$20
    jsr row_address
    ldx #0
@left:
    lda lower,x
    sta PPUDATA
    inx
    cpx #32
    bne @left
    lda #$20
    ldx #$24
    jsr row_address
    ldx #32
@right:
    lda lower,x
    sta PPUDATA
    inx
    cpx #64
    bne @right
    lda slot
    and #$FE
    asl a
    asl a
    sta tmp                     ; the attribute row, times 8
    lda #$23
    sta PPUADDR
    lda tmp
    ora #$C0
    sta PPUADDR
    ldx tmp
    ldy #8
@attributes0:
    lda attributes,x
    sta PPUDATA
    inx
    dey
    bne @attributes0
    lda #$27
    sta PPUADDR
    lda tmp
    ora #$C0
    sta PPUADDR
    lda tmp
    ora #64
    tax
    ldy #8
@attributes1:
    lda attributes,x
    sta PPUDATA
    inx
    dey
    bne @attributes1
    rts

.segment "VECTORS"
    .word nmi, reset, irq
