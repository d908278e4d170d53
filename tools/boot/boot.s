; The built-in cartridge's own program: shows the map of the first battlefield, read from the
; cartridge's own bytes, and scrolls it with the d-pad. MMC1 (SLROM): 16 program banks of 16 KiB,
; the last fixed at $C000 with this program in it; 16 character banks of 8 KiB.
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
row:        .res 1
col:        .res 1
tmp:        .res 1
pad:        .res 1
last_pad:   .res 1
delay:      .res 1
frames:     .res 1

.segment "BSS"
row_pattern: .res SCREEN_W
palettes:    .res 256           ; palette of each cell on screen, 16 a row

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

    jsr decode_map
    jsr load_palette
    jsr draw_screen
    jsr wait_frame
    jsr show

main:
    jsr wait_frame
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
    bcc @done
    lda #0
    sta PPUMASK
    jsr draw_screen
    jsr wait_frame
    jsr show
    jmp @done
@idle:
    lda #1
    sta delay
@done:
    lda pad
    sta last_pad
    jmp main

; Rendering on, scrolled to the top left, NMI each frame.
show:
    lda #$80
    sta PPUCTRL
    lda #0
    sta PPUSCROLL
    sta PPUSCROLL
    lda #%00001010              ; background, also in the leftmost column
    sta PPUMASK
    rts

wait_frame:
    lda #$80
    sta PPUCTRL
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

; Moves the view one cell as the d-pad says; carry set when it moved.
move_view:
    lda left
    ldx top
    sta col
    stx row
    lda pad
    and #$08                    ; up
    beq @down
    lda top
    beq @down
    dec top
@down:
    lda pad
    and #$04
    beq @left
    lda top
    cmp max_top
    bcs @left
    inc top
@left:
    lda pad
    and #$02
    beq @right
    lda left
    beq @right
    dec left
@right:
    lda pad
    and #$01
    beq @compare
    lda left
    cmp max_left
    bcs @compare
    inc left
@compare:
    lda left
    cmp col
    bne @moved
    lda top
    cmp row
    bne @moved
    clc
    rts
@moved:
    sec
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

; Fills the first name table from the view; rendering must be off.
draw_screen:
    bit PPUSTATUS
    lda #$20
    sta PPUADDR
    lda #$00
    sta PPUADDR
    sta row
@row:
    ; The patterns and palettes of this row's cells.
    lda row
    clc
    adc top
    sta tmp                     ; map row
    lsr a
    lsr a
    lsr a
    clc
    adc #>MAP
    sta dst+1
    lda tmp
    asl a
    asl a
    asl a
    asl a
    asl a
    sta dst
    lda row
    asl a
    asl a
    asl a
    asl a
    tax                         ; row * 16 into palettes
    lda #0
    sta col
@cell:
    lda row                     ; off the map: blank patterns, palette 0
    clc
    adc top
    cmp view_h
    bcs @blank
    lda col
    clc
    adc left
    cmp view_w
    bcs @blank
    tay
    lda (dst),y
    tay
    lda cell_palette,y
    and #3
    sta palettes,x
    lda cell_pattern,y
    jmp @store
@blank:
    lda #0
    sta palettes,x
@store:
    ldy col
    sta row_pattern,y
    inx
    inc col
    lda col
    cmp #SCREEN_W
    bne @cell
    ; Upper then lower half of the row's cells.
    ldx #0
@upper:
    lda row_pattern,x
    sta PPUDATA
    clc
    adc #1
    sta PPUDATA
    inx
    cpx #SCREEN_W
    bne @upper
    ldx #0
@lower:
    lda row_pattern,x
    clc
    adc #2
    sta PPUDATA
    adc #1
    sta PPUDATA
    inx
    cpx #SCREEN_W
    bne @lower
    inc row
    lda row
    cmp #SCREEN_H
    beq @attributes
    jmp @row
@attributes:

    ; Attributes: one byte for each 2 x 2 cells, the last row half off the screen.
    lda #$23
    sta PPUADDR
    lda #$C0
    sta PPUADDR
    ldx #0                      ; top left cell of the block, in palettes
@attribute:
    lda palettes+17,x           ; bottom right
    asl a
    asl a
    ora palettes+16,x           ; bottom left
    asl a
    asl a
    ora palettes+1,x            ; top right
    asl a
    asl a
    ora palettes,x              ; top left
    sta PPUDATA
    inx
    inx
    txa
    and #$0F
    bne @attribute
    txa
    clc
    adc #16                     ; next pair of rows
    tax
    beq @end
    jmp @attribute
@end:
    rts

.segment "VECTORS"
    .word nmi, reset, irq
