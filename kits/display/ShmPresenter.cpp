// MIT-SHM presenting over Qt's own XCB connection, on the display thread only.
#include "ShmPresenter.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "FrontBuffer.h"

namespace zoetra::display {

namespace {

template <typename Reply>
struct FreeReply {
	void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeReply<Reply>>;

xcb_connection_t* QtConnection()
{
	auto* application = qGuiApp;
	auto* x11 =
		application ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
	return x11 ? x11->connection() : nullptr;
}

bool ServerMapsFiles(xcb_connection_t* connection)
{
	const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
	if (!extension || !extension->present)
		return false;
	ReplyPointer<xcb_shm_query_version_reply_t> version(
		xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr));
	return version
		&& (version->major_version > 1
			|| (version->major_version == 1 && version->minor_version >= 2));
}

// True when a drawable of `depth` with `visual` stores the front buffer's words as they are:
// 32 bits a pixel, red, green and blue in the low three bytes, in this machine's byte order.
bool TakesOurPixels(xcb_connection_t* connection, xcb_visualid_t visual, uint8_t depth)
{
	const xcb_setup_t* setup = xcb_get_setup(connection);
	const uint16_t probe = 1;
	const bool littleEndian = *reinterpret_cast<const uint8_t*>(&probe) == 1;
	if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndian)
		return false;
	bool thirtyTwoBits = false;
	for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
		 xcb_format_next(&formats))
		if (formats.data->depth == depth)
			thirtyTwoBits = formats.data->bits_per_pixel == 32;
	if (!thirtyTwoBits)
		return false;
	for (auto screens = xcb_setup_roots_iterator(setup); screens.rem; xcb_screen_next(&screens))
		for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
			 xcb_depth_next(&depths))
			for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
				 xcb_visualtype_next(&visuals)) {
				const xcb_visualtype_t& type = *visuals.data;
				if (type.visual_id == visual)
					return type._class == XCB_VISUAL_CLASS_TRUE_COLOR && type.red_mask == 0xff0000u
						&& type.green_mask == 0xff00u && type.blue_mask == 0xffu;
			}
	return false;
}

} // namespace

struct ShmPresenter::Impl {
	xcb_connection_t* connection = nullptr;
	xcb_window_t window = 0;
	uint8_t depth = 0;
	xcb_gcontext_t context = 0;
	xcb_shm_seg_t segment = 0; // the attached front buffer, or 0
	uint64_t generation = 0; // of the buffer attached
	bool refused = false; // the server could not map a buffer: no use asking again

	// Hands the buffer's file to the server, once for each new buffer. A server that cannot
	// map it says so in its reply: one round trip a size, never one a frame.
	bool Attach(const FrontBuffer& front)
	{
		if (segment != 0 && generation == front.Generation())
			return true;
		Detach();
		if (refused || front.Descriptor() < 0)
			return false;
		const int descriptor = fcntl(front.Descriptor(), F_DUPFD_CLOEXEC, 0);
		if (descriptor < 0)
			return false;
		const xcb_shm_seg_t attached = xcb_generate_id(connection);
		// The library sends the descriptor and closes it.
		const xcb_void_cookie_t cookie =
			xcb_shm_attach_fd_checked(connection, attached, descriptor, 1);
		if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
			std::free(error);
			refused = true;
			return false;
		}
		segment = attached;
		generation = front.Generation();
		return true;
	}

	void Detach()
	{
		if (segment != 0)
			xcb_shm_detach(connection, segment);
		segment = 0;
	}
};

ShmPresenter::ShmPresenter(std::unique_ptr<Impl> impl)
	: fImpl(std::move(impl))
{
}

std::unique_ptr<ShmPresenter> ShmPresenter::ForWindow(QWidget& window)
{
	xcb_connection_t* connection = QtConnection();
	// At another device pixel ratio Qt scales what is painted; the buffer is not the window.
	if (!connection || window.devicePixelRatioF() != 1.0 || !ServerMapsFiles(connection))
		return nullptr;
	const auto id = xcb_window_t(window.winId());
	ReplyPointer<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
		connection, xcb_get_window_attributes(connection, id), nullptr));
	ReplyPointer<xcb_get_geometry_reply_t> geometry(
		xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr));
	if (!attributes || !geometry
		|| !TakesOurPixels(connection, attributes->visual, geometry->depth))
		return nullptr;
	auto impl = std::make_unique<Impl>();
	impl->connection = connection;
	impl->window = id;
	impl->depth = geometry->depth;
	impl->context = xcb_generate_id(connection);
	const uint32_t noExposures = 0;
	xcb_create_gc(connection, impl->context, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
	return std::unique_ptr<ShmPresenter>(new ShmPresenter(std::move(impl)));
}

ShmPresenter::~ShmPresenter()
{
	// Qt's connection may be gone already when the application ends first.
	if (QtConnection() != fImpl->connection)
		return;
	fImpl->Detach();
	xcb_free_gc(fImpl->connection, fImpl->context);
	xcb_flush(fImpl->connection);
}

uintptr_t ShmPresenter::Window() const
{
	return fImpl->window;
}

bool ShmPresenter::Put(const FrontBuffer& front, const std::vector<PixelRect>& rects)
{
	Impl& impl = *fImpl;
	if (!impl.Attach(front))
		return false;
	const auto width = uint16_t(front.Width());
	const auto height = uint16_t(front.Height());
	for (const PixelRect& rect : rects) {
		const auto x = int16_t(rect.left), y = int16_t(rect.top);
		xcb_shm_put_image(impl.connection, impl.window, impl.context, width, height, uint16_t(x),
			uint16_t(y), uint16_t(rect.Width()), uint16_t(rect.Height()), x, y, impl.depth,
			XCB_IMAGE_FORMAT_Z_PIXMAP, 0, impl.segment, 0);
	}
	xcb_flush(impl.connection);
	return true;
}

} // namespace zoetra::display
